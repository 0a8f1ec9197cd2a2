// Modeless dialogs built from a module's dialog templates. The dialog window's
// procedure calls the dialog procedure first and does the default dialog
// processing when that returns FALSE. EndDialog hides a modeless dialog and
// keeps its result.
#include "dialog_templates.h"
#include "user_state.h"

namespace userlayer {

namespace {

// Dialog units are turned into pixels with one fixed base for every font.
constexpr int kPixelsPerDialogUnit = 2;

bool ReturnsResultDirectly(UINT message) { return message == WM_INITDIALOG; }

LRESULT DefaultDialogProcessing(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_CLOSE: {
        // Closing a dialog is pressing its Cancel button, if that is enabled.
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (cancel == nullptr || IsWindowEnabled(cancel)) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, kBnClicked), reinterpret_cast<LPARAM>(cancel));
        }
        return 0;
    }
    case WM_INITDIALOG:
    case WM_COMMAND:
        return 0;
    default:
        return DefWindowProcA(dialog, message, w, l);
    }
}

HWND CreateDialogWindow(const QrDialogTemplate &dialog, HINSTANCE instance, HWND parent) {
    DWORD exStyle = (dialog.style & DS_MODALFRAME) != 0 ? WS_EX_DLGMODALFRAME : 0;
    DWORD style = dialog.style & ~static_cast<DWORD>(WS_VISIBLE);
    RECT insets = FrameInsets(style, exStyle);
    int width = dialog.cx * kPixelsPerDialogUnit + insets.left + insets.right;
    int height = dialog.cy * kPixelsPerDialogUnit + insets.top + insets.bottom;
    HWND window = CreateWindowExA(exStyle, MAKEINTRESOURCEA(kDialogClassAtom), dialog.caption, style, 0, 0, width,
                                  height, parent, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    Lock lock = LockState();
    Window *record = FindWindowRecord(window);
    if (record == nullptr) return nullptr;
    record->isDialog = true;
    return window;
}

// Controls are visible children whatever their template says, as a resource
// compiler makes them.
bool CreateControls(const QrDialogTemplate &dialog, HINSTANCE instance, HWND window) {
    for (WORD i = 0; i < dialog.itemCount; ++i) {
        const QrDialogItem &item = dialog.items[i];
        DWORD style = item.style | WS_CHILD | WS_VISIBLE;
        HWND control = CreateWindowExA(0, item.className, item.text, style, item.x * kPixelsPerDialogUnit,
                                       item.y * kPixelsPerDialogUnit, item.cx * kPixelsPerDialogUnit,
                                       item.cy * kPixelsPerDialogUnit, window,
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance, nullptr);
        if (control == nullptr) return false;
    }
    return true;
}

bool DialogEnded(HWND dialog) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(dialog);
    return record != nullptr && record->dialogEnded;
}

}  // namespace

LRESULT DialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    DLGPROC proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, kDwlpDlgProc));
    if (proc != nullptr) {
        INT_PTR handled = proc(dialog, message, w, l);
        if (handled != 0) {
            return ReturnsResultDirectly(message) ? handled : GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
        }
    }
    return DefaultDialogProcessing(dialog, message, w, l);
}

}  // namespace userlayer

using namespace userlayer;

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    const QrDialogTemplate *dialog = FindDialogTemplate(instance, templateName);
    if (dialog == nullptr) return nullptr;
    HWND window = CreateDialogWindow(*dialog, instance, parent);
    if (window == nullptr) return nullptr;
    SetWindowLongPtrA(window, kDwlpDlgProc, reinterpret_cast<LONG_PTR>(proc));
    if (!CreateControls(*dialog, instance, window)) {
        DestroyWindow(window);
        return nullptr;
    }
    HWND firstTabStop = NextTabStop(window, nullptr);
    LRESULT setFocus = SendMessageA(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), param);
    if (!IsWindow(window)) return nullptr;  // the dialog procedure destroyed it
    if (setFocus != 0 && firstTabStop != nullptr) SetFocus(firstTabStop);
    if ((dialog->style & WS_VISIBLE) != 0 && !DialogEnded(window)) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    {
        Lock lock = LockState();
        Window *record = RequireWindow(dialog);
        if (record == nullptr || !record->isDialog) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        record->dialogEnded = true;
        record->dialogResult = result;
    }
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

BOOL WinLayer_GetDialogResult(HWND dialog, INT_PTR *result) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(dialog);
    if (record == nullptr || !record->dialogEnded) return FALSE;
    if (result != nullptr) *result = record->dialogResult;
    return TRUE;
}
