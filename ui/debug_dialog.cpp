#include "debug_dialog.h"

#include "resource.h"
#include "screen_placement.h"

#include <string.h>

// The notification a button sends when it is clicked.
static const WORD kClicked = 0;

DebugDialog::DebugDialog(BOOL startLocked, CWnd *parent)
    : CDialog(IDD_DEBUG, parent), m_bLocked(startLocked ? FALSE : TRUE) {}

int DebugDialog::Open(const char *title) {
    if (!Create(IDD_DEBUG)) return 0;
    SetWindowText(title);
    return 1;
}

void DebugDialog::SetMessage(const char *text) {
    if (text == nullptr) text = "";
    size_t kept = strnlen(text, sizeof m_szMessage - 1);
    memcpy(m_szMessage, text, kept);
    memset(m_szMessage + kept, 0, sizeof m_szMessage - kept);
}

BOOL DebugDialog::DestroyWindow() { return CDialog::DestroyWindow(); }

void DebugDialog::DoDataExchange(void *exchange) { CDialog::DoDataExchange(exchange); }

BOOL DebugDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    OnLock();
    CentreOnScreenTopmost(*this);
    return TRUE;
}

BOOL DebugDialog::OnCommand(WPARAM w, LPARAM l) {
    if (HIWORD(w) == kClicked) {
        switch (LOWORD(w)) {
        case IDC_DEBUG_DISCARD:
            OnDiscard();
            return TRUE;
        case IDC_DEBUG_LOCK:
            OnLock();
            return TRUE;
        case IDC_DEBUG_SKIP:
            OnSkip();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(w, l);
}

// The close box would only hide the window and leave a locked caller held
// with nothing left to press: closing is discarding.
void DebugDialog::OnCancel() { OnDiscard(); }

void DebugDialog::OnLock() {
    m_bLocked = !m_bLocked;
    if (m_hWnd == nullptr) return;
    SetDlgItemTextA(m_hWnd, IDC_DEBUG_LOCK, m_bLocked ? DEBUG_UNLOCK_TEXT : DEBUG_LOCK_TEXT);
    HWND skip = GetDlgItem(IDC_DEBUG_SKIP);
    if (skip != nullptr) EnableWindow(skip, m_bLocked);
}

void DebugDialog::OnSkip() { m_bSkip = TRUE; }

void DebugDialog::OnDiscard() {
    ShowWindow(SW_HIDE);
    m_bDiscarded = TRUE;
}

void DebugDialog::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    m_bMinimized = type == SIZE_MINIMIZED;
}

void DebugDialog::Pause() {
    m_bDiscarded = FALSE;
    m_bLocked = FALSE;
    m_bMinimized = FALSE;
    OnLock();
    if (m_hWnd != nullptr) ShowWindow(SW_RESTORE);
    WaitForUser();
}

// Polls the thread's queue, one message at a time, so that every window of
// the thread stays alive while the caller is held. Without a window nothing
// could ever let the caller go, so it is not held.
void DebugDialog::WaitForUser() {
    if (m_bDiscarded || m_hWnd == nullptr) return;
    if (!m_bMinimized) SetDlgItemTextA(m_hWnd, IDC_DEBUG_MESSAGE, m_szMessage);
    m_bSkip = FALSE;
    while (m_bLocked) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (m_bSkip || m_bDiscarded || m_hWnd == nullptr) return;
    }
}
