// Modeless dialogs from the module's templates. The library's dialog
// procedure binds the object to its window at WM_INITDIALOG (from then on the
// window's messages reach the object's WindowProc) and runs OnInitDialog;
// OK and Cancel end the dialog, which hides it.
#include "afx_internal.h"

namespace {

// Notification codes of a command from a button (BN_CLICKED), a menu (0) or an
// accelerator (1): the ones that mean "do it".
bool IsCommandNotification(WPARAM w) { return HIWORD(w) == 0 || HIWORD(w) == 1; }

#if defined(_WIN32)
bool IsColourRequest(UINT message) {
    return message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN;
}
#endif

}  // namespace

INT_PTR CALLBACK AfxDlgProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog *object = reinterpret_cast<CDialog *>(l);
    if (object == nullptr || !object->Attach(dialog)) return FALSE;
    afxinternal::CurrentMessageScope scope(dialog, message, w, l);
    return object->OnInitDialog();
}

CDialog::CDialog(UINT templateId, CWnd *parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) CDialog::DestroyWindow();
}

BOOL CDialog::Create(UINT templateId, CWnd *parent) {
    if (m_hWnd != nullptr) return FALSE;
    m_templateId = templateId;
    m_pParentWnd = parent;
    HWND parentWindow = parent != nullptr ? parent->m_hWnd : nullptr;
    HWND window = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId), parentWindow, AfxDlgProc,
                                     reinterpret_cast<LPARAM>(this));
    if (window == nullptr) return FALSE;
    if (m_hWnd == window) return TRUE;
    ::DestroyWindow(window);  // made, but never bound to this object
    return FALSE;
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange(nullptr);
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(void *) {}

void CDialog::EndDialog(int result) {
    if (m_hWnd != nullptr) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnCommand(WPARAM w, LPARAM l) {
    if (IsCommandNotification(w)) {
        switch (LOWORD(w)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        default:
            break;
        }
    }
    return CWnd::OnCommand(w, l);
}

// On Windows the dialog and its controls are painted in the application's
// dialog colours once SetDialogBkColor has given them.
LRESULT CDialog::WindowProc(UINT message, WPARAM w, LPARAM l) {
#if defined(_WIN32)
    CWinApp *app = AfxGetApp();
    if (IsColourRequest(message) && app != nullptr && app->m_hDialogBrush != nullptr) {
        HDC dc = reinterpret_cast<HDC>(w);
        ::SetBkColor(dc, app->m_dialogBackground);
        ::SetTextColor(dc, app->m_dialogText);
        return reinterpret_cast<LRESULT>(app->m_hDialogBrush);
    }
#endif
    return CWnd::WindowProc(message, w, l);
}
