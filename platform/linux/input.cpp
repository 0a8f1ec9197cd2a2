// Input as a user gives it, for tests: mouse messages go to the capture window
// or to the window under the point, keys to the focus window, through the
// queue of the thread that owns the window.
#include "user_state.h"

namespace userlayer {

namespace {

constexpr DWORD kStaticNotify = 0x0100;  // SS_NOTIFY
constexpr LPARAM kKeyDownBits = 0x00000001;
constexpr LPARAM kKeyUpBits = static_cast<LPARAM>(0xC0000001u);

bool Contains(const RECT &rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// A static control without SS_NOTIFY lets the mouse through to its parent.
bool TakesMouse(const Window &window) {
    return window.windowClass != SystemClass("STATIC") || (window.style & kStaticNotify) != 0;
}

const Window *ChildAt(const Window &window, POINT point) {
    for (HWND handle : window.children) {
        const Window *child = FindWindowRecord(handle);
        if (child == nullptr || (child->style & WS_VISIBLE) == 0 || !TakesMouse(*child)) continue;
        if (Contains(WindowRectOnScreen(*child), point)) return ChildAt(*child, point);
    }
    return &window;
}

// The window a click at the point lands on; null when it is a disabled one.
const Window *WindowAt(POINT point) {
    for (const Window *top : TopLevelWindowsFrontToBack()) {
        if ((top->style & WS_VISIBLE) == 0 || top->destroying) continue;
        if (!Contains(WindowRectOnScreen(*top), point)) continue;
        const Window *hit = ChildAt(*top, point);
        for (const Window *w = hit; w != nullptr; w = FindWindowRecord(w->parent)) {
            if ((w->style & WS_DISABLED) != 0) return nullptr;
        }
        return hit;
    }
    return nullptr;
}

WPARAM MouseButtons(UINT message) {
    bool &held = State().leftButtonDown;
    if (message == WM_LBUTTONDOWN) held = true;
    if (message == WM_LBUTTONUP) held = false;
    return held ? kMkLButton : 0;
}

BOOL PostToWindow(const Window &window, UINT message, WPARAM w, LPARAM l) {
    ThreadQueue *queue = FindQueue(window.thread);
    return queue != nullptr && PostToQueue(*queue, MakeMessage(window.handle, message, w, l));
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

BOOL WinLayer_PostMouseInput(UINT message, int screenX, int screenY) {
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONUP && message != WM_MOUSEMOVE) return FALSE;
    Lock lock = LockState();
    POINT point = {screenX, screenY};
    State().cursor = point;
    WPARAM buttons = MouseButtons(message);
    const Window *target = FindWindowRecord(CurrentQueue().capture);
    if (target == nullptr) target = WindowAt(point);
    if (target == nullptr) return FALSE;
    POINT origin = ClientOriginOnScreen(*target);
    return PostToWindow(*target, message, buttons, MAKELPARAM(screenX - origin.x, screenY - origin.y));
}

BOOL WinLayer_PostKeyInput(UINT virtualKey) {
    Lock lock = LockState();
    const Window *focus = FindWindowRecord(CurrentQueue().focus);
    if (focus == nullptr) return FALSE;
    return PostToWindow(*focus, WM_KEYDOWN, virtualKey, kKeyDownBits) &&
           PostToWindow(*focus, WM_KEYUP, virtualKey, kKeyUpBits);
}
