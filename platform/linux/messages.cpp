// Posting and retrieving messages. Each thread has one queue; a message posted
// to a window goes to the queue of the thread that made the window. Retrieval
// takes, in order: messages other threads sent (run at once), posted
// messages, the quit request, a due timer. PeekMessage never waits;
// GetMessage sleeps until a post, a send or the next timer wakes it.
#include "user_state.h"

namespace userlayer {

namespace {

constexpr size_t kQueueLimit = 10000;
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

// Messages whose parameters point into the sender's memory cannot wait in a
// queue: the memory may be gone by the time they are read.
bool IsSyncOnly(UINT message) { return message == WM_CREATE || message == WM_SETTEXT || message == WM_GETTEXT; }

bool FilterIsValid(HWND filter) {
    if (filter == nullptr || filter == kThreadMessagesOnly || FindWindowRecord(filter) != nullptr) return true;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

}  // namespace

BOOL PostToQueue(ThreadQueue &queue, const MSG &message) {
    if (queue.posted.size() >= kQueueLimit) {
        SetLastError(kErrorNotEnoughQuota);
        return FALSE;
    }
    queue.posted.push_back(message);
    queue.wake.notify_all();
    return TRUE;
}

bool MessageInRange(UINT message, UINT first, UINT last) {
    if (first == 0 && last == 0) return true;
    return first <= message && message <= last;
}

bool WindowMatchesFilter(HWND window, HWND filter) {
    if (filter == nullptr) return true;
    if (filter == kThreadMessagesOnly) return window == nullptr;
    return window == filter;
}

MSG MakeMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
    MSG msg;
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = w;
    msg.lParam = l;
    msg.time = GetTickCount();
    msg.pt = State().cursor;
    return msg;
}

bool TakeMessage(ThreadQueue &queue, HWND filter, UINT first, UINT last, UINT remove, MSG *out) {
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (!WindowMatchesFilter(it->hwnd, filter) || !MessageInRange(it->message, first, last)) continue;
        *out = *it;
        if ((remove & PM_REMOVE) != 0) queue.posted.erase(it);
        return true;
    }
    // The quit request passes any range filter but is a thread message.
    if (queue.quitPosted && (filter == nullptr || filter == kThreadMessagesOnly)) {
        *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        if ((remove & PM_REMOVE) != 0) queue.quitPosted = false;
        return true;
    }
    return TakeDueTimer(queue, filter, first, last, remove, out);
}

}  // namespace userlayer

using namespace userlayer;

BOOL PostMessageA(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (IsSyncOnly(message)) {
        SetLastError(kErrorMessageSyncOnly);
        return FALSE;
    }
    Lock lock = LockState();
    if (window == nullptr) return PostToQueue(CurrentQueue(), MakeMessage(nullptr, message, w, l));
    const Window *record = RequireWindow(window);
    if (record == nullptr) return FALSE;
    ThreadQueue *queue = FindQueue(record->thread);
    if (queue == nullptr) {
        SetLastError(kErrorInvalidThreadId);
        return FALSE;
    }
    return PostToQueue(*queue, MakeMessage(window, message, w, l));
}

BOOL PostThreadMessageA(DWORD thread, UINT message, WPARAM w, LPARAM l) {
    if (IsSyncOnly(message)) {
        SetLastError(kErrorMessageSyncOnly);
        return FALSE;
    }
    Lock lock = LockState();
    ThreadQueue *queue = thread == CurrentThread() ? &CurrentQueue() : FindQueue(thread);
    if (queue == nullptr) {
        SetLastError(kErrorInvalidThreadId);
        return FALSE;
    }
    return PostToQueue(*queue, MakeMessage(nullptr, message, w, l));
}

void PostQuitMessage(int exitCode) {
    Lock lock = LockState();
    ThreadQueue &queue = CurrentQueue();
    queue.quitPosted = true;
    queue.quitCode = exitCode;
    queue.wake.notify_all();
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DeliverSentMessages();
    Lock lock = LockState();
    if (!FilterIsValid(window)) return FALSE;
    return TakeMessage(CurrentQueue(), window, first, last, remove, message) ? TRUE : FALSE;
}

// Returns 0 for WM_QUIT, -1 for an invalid window filter, else nonzero.
BOOL GetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    for (;;) {
        DeliverSentMessages();
        Lock lock = LockState();
        if (!FilterIsValid(window)) return -1;
        ThreadQueue &queue = CurrentQueue();
        if (!queue.sent.empty()) continue;
        if (TakeMessage(queue, window, first, last, PM_REMOVE, message)) return message->message != WM_QUIT;
        Clock::time_point due;
        if (NextTimerDue(queue, window, first, last, &due)) {
            queue.wake.wait_until(lock, due);
        } else {
            queue.wake.wait(lock);
        }
    }
}
