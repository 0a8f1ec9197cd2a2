// Window and control texts. On the window's own thread they go through
// WM_SETTEXT and WM_GETTEXT, so that a window procedure can answer them; a
// window of another thread is read directly, as Windows does.
#include "user_state.h"

#include <cstring>

namespace userlayer {

int CopyWindowText(const Window &window, LPSTR buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    size_t count = window.text.size();
    if (count > static_cast<size_t>(size - 1)) count = static_cast<size_t>(size - 1);
    std::memcpy(buffer, window.text.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

}  // namespace userlayer

using namespace userlayer;

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    {
        Lock lock = LockState();
        const Window *record = RequireWindow(window);
        if (record == nullptr) return 0;
        if (record->thread != CurrentThread()) return CopyWindowText(*record, buffer, size);
    }
    if (buffer == nullptr || size <= 0) return 0;
    LRESULT copied = SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer));
    buffer[size - 1] = '\0';  // whatever a window procedure wrote, the caller gets a terminated string
    return static_cast<int>(copied);
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && SetWindowTextA(control, text);
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(control, buffer, size));
}
