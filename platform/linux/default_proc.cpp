// The default processing of a message, and calling a window procedure kept
// from before a subclassing.
#include "user_state.h"

#include <climits>

namespace userlayer {

namespace {

constexpr WPARAM kScMinimize = 0xF020;
constexpr WPARAM kScClose = 0xF060;
constexpr WPARAM kScRestore = 0xF120;

LRESULT SetText(HWND window, LPCSTR text) {
    Lock lock = LockState();
    Window *record = RequireWindow(window);
    if (record == nullptr) return FALSE;
    record->text = text != nullptr ? text : "";
    return TRUE;
}

LRESULT GetText(HWND window, WPARAM size, LPSTR buffer) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    if (record == nullptr) return 0;
    return CopyWindowText(*record, buffer, size > INT_MAX ? INT_MAX : static_cast<int>(size));
}

LRESULT GetTextLength(HWND window) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    return record != nullptr ? static_cast<LRESULT>(record->text.size()) : 0;
}

void SystemCommand(HWND window, WPARAM command) {
    switch (command & 0xFFF0) {
    case kScClose:
        SendMessageA(window, WM_CLOSE, 0, 0);
        break;
    case kScMinimize:
        ShowWindow(window, SW_MINIMIZE);
        break;
    case kScRestore:
        ShowWindow(window, SW_RESTORE);
        break;
    default:
        break;
    }
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_SETTEXT:
        return SetText(window, reinterpret_cast<LPCSTR>(l));
    case WM_GETTEXT:
        return GetText(window, w, reinterpret_cast<LPSTR>(l));
    case WM_GETTEXTLENGTH:
        return GetTextLength(window);
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        SystemCommand(window, w);
        return 0;
    default:
        return 0;
    }
}

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM w, LPARAM l) {
    if (proc == nullptr) return 0;
    return proc(window, message, w, l);
}
