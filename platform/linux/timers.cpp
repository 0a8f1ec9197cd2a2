// Timers. A timer is never queued: when a thread looks for a message and finds
// no posted one, a due timer of that thread yields one WM_TIMER and starts its
// next period. A timer that fell behind fires once, not once per missed
// period.
#include "user_state.h"

#include <algorithm>

namespace userlayer {

namespace {

constexpr UINT kMinimumInterval = 10;
constexpr UINT kMaximumInterval = 0x7FFFFFFF;
constexpr size_t kTimerLimit = 10000;

bool TimerMatches(const Timer &timer, HWND filter, UINT first, UINT last) {
    return WindowMatchesFilter(timer.window, filter) && MessageInRange(WM_TIMER, first, last);
}

Timer *FindTimer(ThreadQueue &queue, HWND window, UINT_PTR id) {
    for (Timer &timer : queue.timers) {
        if (timer.window == window && timer.id == id) return &timer;
    }
    return nullptr;
}

bool TimerFaultFires() {
    long &countdown = State().failSetTimerCountdown;
    if (countdown <= 0) return false;
    return --countdown == 0;
}

size_t TimerCount() {
    size_t count = 0;
    for (const auto &queue : State().queues) count += queue.second->timers.size();
    return count;
}

UINT_PTR NewThreadTimerId(ThreadQueue &queue) {
    UserState &state = State();
    do {
        state.nextThreadTimerId = state.nextThreadTimerId + 1 == 0 ? 0x7F00 : state.nextThreadTimerId + 1;
    } while (FindTimer(queue, nullptr, state.nextThreadTimerId) != nullptr);
    return state.nextThreadTimerId;
}

// Lock held. The queue the timer belongs to, or null with the error set.
ThreadQueue *QueueForTimer(HWND window) {
    if (window == nullptr) return &CurrentQueue();
    const Window *record = RequireWindow(window);
    if (record == nullptr) return nullptr;
    if (record->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return &CurrentQueue();
}

}  // namespace

bool TakeDueTimer(ThreadQueue &queue, HWND filter, UINT first, UINT last, UINT remove, MSG *out) {
    Clock::time_point now = Clock::now();
    Timer *earliest = nullptr;
    for (Timer &timer : queue.timers) {
        if (timer.due > now || !TimerMatches(timer, filter, first, last)) continue;
        if (earliest == nullptr || timer.due < earliest->due) earliest = &timer;
    }
    if (earliest == nullptr) return false;
    *out = MakeMessage(earliest->window, WM_TIMER, earliest->id, reinterpret_cast<LPARAM>(earliest->proc));
    if ((remove & PM_REMOVE) != 0) earliest->due = now + std::chrono::milliseconds(earliest->interval);
    return true;
}

bool NextTimerDue(const ThreadQueue &queue, HWND filter, UINT first, UINT last, Clock::time_point *due) {
    bool found = false;
    for (const Timer &timer : queue.timers) {
        if (!TimerMatches(timer, filter, first, last)) continue;
        if (!found || timer.due < *due) *due = timer.due;
        found = true;
    }
    return found;
}

TIMERPROC FindTimerProc(HWND window, UINT_PTR id, LPARAM proc) {
    ThreadQueue *queue = FindQueue(CurrentThread());
    if (queue == nullptr) return nullptr;
    const Timer *timer = FindTimer(*queue, window, id);
    if (timer == nullptr || reinterpret_cast<LPARAM>(timer->proc) != proc) return nullptr;
    return timer->proc;
}

}  // namespace userlayer

using namespace userlayer;

// A window timer is identified by (window, id) and the result is the id (1 for
// id 0, which Windows also reports as success). A thread timer (no window)
// gets a fresh id unless `id` names one of this thread's timers.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC proc) {
    Lock lock = LockState();
    ThreadQueue *queue = QueueForTimer(window);
    if (queue == nullptr) return 0;
    if (TimerFaultFires()) {
        SetLastError(kErrorNoSystemResources);
        return 0;
    }
    UINT interval = std::clamp(milliseconds, kMinimumInterval, kMaximumInterval);
    Clock::time_point due = Clock::now() + std::chrono::milliseconds(interval);
    Timer *existing = FindTimer(*queue, window, id);
    if (window == nullptr && existing == nullptr) id = NewThreadTimerId(*queue);
    if (existing != nullptr) {
        *existing = Timer{window, id, interval, proc, due};
    } else if (TimerCount() >= kTimerLimit) {
        SetLastError(kErrorNoSystemResources);
        return 0;
    } else {
        queue->timers.push_back(Timer{window, id, interval, proc, due});
    }
    queue->wake.notify_all();  // a GetMessage asleep must look at the new due time
    return id != 0 ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    Lock lock = LockState();
    ThreadQueue *queue = nullptr;
    if (window == nullptr) {
        queue = FindQueue(CurrentThread());
    } else if (const Window *record = RequireWindow(window)) {
        queue = FindQueue(record->thread);
    }
    if (queue == nullptr) return FALSE;
    auto &timers = queue->timers;
    auto found = std::find_if(timers.begin(), timers.end(),
                              [window, id](const Timer &t) { return t.window == window && t.id == id; });
    if (found == timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(found);
    return TRUE;
}

void WinLayer_FailNthSetTimer(long n) {
    Lock lock = LockState();
    State().failSetTimerCountdown = n > 0 ? n : 0;
}
