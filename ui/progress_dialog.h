// The progress of a long copy, with Cancel. The copying loop owns a count
// it steps once per block, line or strip; the dialog reads it on a 100 ms
// timer and redraws when the whole percentage changes. Cancel marks the
// count as cancelled, which the loop sees after its next message pump.
#ifndef QR_UI_PROGRESS_DIALOG_H
#define QR_UI_PROGRESS_DIALOG_H

#include "afx.h"
#include "twain.h"

// What a copying loop shares with its dialog: the steps it has taken, and
// whether the user pressed Cancel. The press is kept apart from the count, so
// that no count (the 65,535th block's, say) can pass for it.
struct ProgressCount {
    TW_UINT32 steps;
    BOOL cancelled;
};
// The caption every copying loop shows.
#define PROGRESS_TITLE "Image Data Transferring..."

class CancelButton : public CButton {
public:
    // A press at `point` (screen coordinates): taken when it falls on the
    // button, which then shows itself pressed and holds the mouse.
    void OnButtonDown(UINT flags, POINT point);

protected:
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
};

class ProgressDialog : public CDialog {
public:
    explicit ProgressDialog(ProgressCount *progress);
    ~ProgressDialog() override;

    // Creates the window with `title` as caption; 0 when it cannot be made.
    int Open(const char *title);
    // Starts the timer and the drawing for counter values first..last; 0
    // when another progress dialog runs or no timer can be had.
    int Begin(TW_UINT32 first, TW_UINT32 last);
    void Update(TW_UINT32 value);
    // Shows the end and closes the window.
    void End();
    static BOOL IsActive();

    BOOL DestroyWindow() override;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnTimer(UINT_PTR id) override;
    void OnLButtonDown(UINT flags, POINT point) override;

private:
    void CentreTopmost();
    void DrawBarFrame();
    void StopTimer();

    int m_nBarWidth = 0;
    int m_nTextX = 0;
    int m_nBarHeight = 0;
    TW_UINT32 m_nLastPercent = 200;
    ProgressCount *m_pCounter;
    UINT_PTR m_nTimerID = 0;
    TW_UINT32 m_nFirst = 0;
    TW_UINT32 m_nLast = 0;
    TW_UINT32 m_nSpan = 0;
    HDC m_pBarDC = nullptr;
    HWND m_pBarWnd = nullptr;
    CancelButton m_btnCancel;
    RECT m_rcDone = {0, 0, 0, 0};
    RECT m_rcTodo = {0, 0, 0, 0};
    COLORREF m_crLight = 0xFFFFFF;
    COLORREF m_crDark = 0xFF0000;
};

// Opens the dialog and starts it for `steps` steps of its counter. The
// copy goes on without a display when either fails.
inline void StartProgress(ProgressDialog &dialog, TW_UINT32 steps) {
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, steps);
}

#endif
