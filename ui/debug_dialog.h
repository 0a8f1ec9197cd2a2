// A developer's stop point: a small modeless window that shows a message and
// holds the caller in a message loop until the user lets it go on. Skip ends
// one stop, UnLOCK/LOCK switches stopping off and on, Discard hides the
// window and lets every stop pass until the next Pause.
#ifndef QR_UI_DEBUG_DIALOG_H
#define QR_UI_DEBUG_DIALOG_H

#include "afx.h"

class DebugDialog : public CDialog {
public:
    // The dialog starts locked (stopping) exactly when `startLocked` is
    // nonzero; OnInitDialog toggles the flag set here once.
    explicit DebugDialog(BOOL startLocked, CWnd *parent = nullptr);

    // Creates the window with `title` as caption; 0 when it cannot be made.
    int Open(const char *title);
    // The text shown at the next stop; cut to fit the dialog's buffer.
    void SetMessage(const char *text);
    // One stop: locks, shows the window and waits for the user.
    void Pause();
    // Holds the caller while locked, dispatching the thread's messages, until
    // Skip, UnLOCK or Discard.
    void WaitForUser();

    BOOL IsLocked() const { return m_bLocked; }
    BOOL IsDiscarded() const { return m_bDiscarded; }

    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(void *exchange) override;
    BOOL OnCommand(WPARAM w, LPARAM l) override;
    void OnCancel() override;
    void OnSize(UINT type, int cx, int cy) override;

    void OnLock();
    void OnSkip();
    void OnDiscard();

private:
    BOOL m_bLocked;
    BOOL m_bSkip = FALSE;
    BOOL m_bDiscarded = FALSE;
    BOOL m_bMinimized = FALSE;
    char m_szMessage[128] = {};
};

#endif
