// Mouse capture and keyboard focus, each kept per thread. The window losing
// the capture hears WM_CAPTURECHANGED; focus moves with WM_KILLFOCUS to the
// old window and WM_SETFOCUS to the new one.
#include "user_state.h"

namespace userlayer {

namespace {

// Lock held. The window, provided it belongs to the calling thread.
const Window *OwnWindow(HWND window) {
    const Window *record = RequireWindow(window);
    if (record != nullptr && record->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return record;
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

HWND SetCapture(HWND window) {
    HWND previous = nullptr;
    {
        Lock lock = LockState();
        if (OwnWindow(window) == nullptr) return nullptr;
        ThreadQueue &queue = CurrentQueue();
        previous = queue.capture;
        queue.capture = window;
    }
    if (previous != nullptr && previous != window) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    }
    return previous;
}

BOOL ReleaseCapture(void) {
    HWND previous = nullptr;
    {
        Lock lock = LockState();
        ThreadQueue &queue = CurrentQueue();
        previous = queue.capture;
        queue.capture = nullptr;
    }
    if (previous != nullptr) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture(void) {
    Lock lock = LockState();
    ThreadQueue *queue = FindQueue(CurrentThread());
    return queue != nullptr ? queue->capture : nullptr;
}

// SetFocus(NULL) takes the focus away from every window of the thread.
HWND SetFocus(HWND window) {
    HWND previous = nullptr;
    {
        Lock lock = LockState();
        if (window != nullptr && OwnWindow(window) == nullptr) return nullptr;
        ThreadQueue &queue = CurrentQueue();
        previous = queue.focus;
        if (previous == window) return previous;
        queue.focus = window;
    }
    if (previous != nullptr) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window != nullptr) SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus(void) {
    Lock lock = LockState();
    ThreadQueue *queue = FindQueue(CurrentThread());
    return queue != nullptr ? queue->focus : nullptr;
}
