// Shown, minimized and enabled: the state bits in a window's style, changed
// with the notifications a window procedure expects (WM_SHOWWINDOW, WM_SIZE
// with SIZE_MINIMIZED or SIZE_RESTORED, WM_ENABLE).
#include "user_state.h"

namespace userlayer {

namespace {

enum class Minimize { Keep, Set, Clear };

struct ShowTarget {
    bool visible;
    Minimize minimize;
};

bool TargetOf(int command, ShowTarget *target) {
    switch (command) {
    case SW_HIDE:
        *target = {false, Minimize::Keep};
        return true;
    case SW_SHOWNORMAL:
    case 3:  // SW_SHOWMAXIMIZED: there is no maximized state here
    case 4:  // SW_SHOWNOACTIVATE
    case SW_RESTORE:
    case 10:  // SW_SHOWDEFAULT
        *target = {true, Minimize::Clear};
        return true;
    case SW_SHOW:
    case SW_SHOWNA:
        *target = {true, Minimize::Keep};
        return true;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case 7:   // SW_SHOWMINNOACTIVE
    case 11:  // SW_FORCEMINIMIZE
        *target = {true, Minimize::Set};
        return true;
    default:
        return false;
    }
}

void SetStyleBit(HWND window, DWORD bit, bool on) {
    Lock lock = LockState();
    Window *record = FindWindowRecord(window);
    if (record == nullptr) return;
    if (on) {
        record->style |= bit;
    } else {
        record->style &= ~bit;
    }
}

void ChangeVisibility(HWND window, bool wasVisible, bool visible) {
    if (wasVisible == visible) return;
    SendMessageA(window, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    SetStyleBit(window, WS_VISIBLE, visible);
}

void ChangeMinimized(HWND window, bool wasMinimized, Minimize change) {
    if (change == Minimize::Keep || wasMinimized == (change == Minimize::Set)) return;
    SetStyleBit(window, WS_MINIMIZE, change == Minimize::Set);
    if (change == Minimize::Set) {
        SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, 0);
        return;
    }
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

// Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command) {
    ShowTarget target;
    if (!TargetOf(command, &target)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool wasVisible = false;
    bool wasMinimized = false;
    {
        Lock lock = LockState();
        const Window *record = RequireWindow(window);
        if (record == nullptr) return FALSE;
        wasVisible = (record->style & WS_VISIBLE) != 0;
        wasMinimized = (record->style & WS_MINIMIZE) != 0;
    }
    ChangeVisibility(window, wasVisible, target.visible);
    ChangeMinimized(window, wasMinimized, target.minimize);
    return wasVisible ? TRUE : FALSE;
}

// A window is visible when it and every parent up to the top have WS_VISIBLE.
BOOL IsWindowVisible(HWND window) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(window);
    if (record == nullptr) return FALSE;
    for (; record != nullptr; record = FindWindowRecord(record->parent)) {
        if ((record->style & WS_VISIBLE) == 0) return FALSE;
    }
    return TRUE;
}

BOOL IsIconic(HWND window) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(window);
    return record != nullptr && (record->style & WS_MINIMIZE) != 0;
}

BOOL IsWindowEnabled(HWND window) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(window);
    return record != nullptr && (record->style & WS_DISABLED) == 0;
}

// Returns whether the window was disabled before. A window being disabled
// loses the capture and the focus.
BOOL EnableWindow(HWND window, BOOL enable) {
    bool wasDisabled = false;
    {
        Lock lock = LockState();
        const Window *record = RequireWindow(window);
        if (record == nullptr) return FALSE;
        wasDisabled = (record->style & WS_DISABLED) != 0;
    }
    if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
    if (!enable) {
        if (GetCapture() == window) ReleaseCapture();
        if (GetFocus() == window) SetFocus(nullptr);
    }
    SetStyleBit(window, WS_DISABLED, !enable);
    SendMessageA(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}
