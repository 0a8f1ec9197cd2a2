// The user side's one state, its lock, and the per-thread message queues.
#include "user_state.h"

#include <cctype>

namespace userlayer {

namespace {

// Lock held. The thread's windows go with it, as on Windows; a window of
// another thread inside one of them goes too.
void FreeWindowsOf(DWORD thread) {
    std::vector<HWND> roots;
    for (const auto &entry : State().windows) {
        const Window *parent = FindWindowRecord(entry.second->parent);
        if (entry.second->thread == thread && (parent == nullptr || parent->thread != thread)) {
            roots.push_back(entry.first);
        }
    }
    for (HWND root : roots) FreeWindowTree(root);
}

// A thread's queue goes when the thread ends: later posts to it fail, and a
// SendMessage still waiting on it returns 0 instead of waiting for ever.
void DropQueue(DWORD thread) {
    Lock lock = LockState();
    auto found = State().queues.find(thread);
    if (found == State().queues.end()) return;
    for (SentMessage *sent : found->second->sent) {
        sent->result = 0;
        sent->done = true;
        sent->senderWake->notify_all();
    }
    FreeWindowsOf(thread);
    State().queues.erase(found);
}

struct QueueOwner {
    DWORD thread = 0;
    ~QueueOwner() {
        if (thread != 0) DropQueue(thread);
    }
};

thread_local QueueOwner tQueueOwner;

}  // namespace

UserState &State() {
    static UserState *state = new UserState;
    return *state;
}

Lock LockState() { return Lock(State().mutex); }

Window *FindWindowRecord(HWND window) {
    if (window == nullptr) return nullptr;
    auto found = State().windows.find(window);
    return found == State().windows.end() ? nullptr : found->second.get();
}

Window *RequireWindow(HWND window) {
    Window *record = FindWindowRecord(window);
    if (record == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return record;
}

DWORD CurrentThread() { return GetCurrentThreadId(); }

ThreadQueue &CurrentQueue() {
    DWORD thread = CurrentThread();
    std::unique_ptr<ThreadQueue> &slot = State().queues[thread];
    if (!slot) {
        slot = std::make_unique<ThreadQueue>();
        slot->thread = thread;
        tQueueOwner.thread = thread;
    }
    return *slot;
}

ThreadQueue *FindQueue(DWORD thread) {
    auto found = State().queues.find(thread);
    return found == State().queues.end() ? nullptr : found->second.get();
}

std::string UpperCase(const char *text) {
    std::string result = text != nullptr ? text : "";
    for (char &c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool IsDescendant(HWND ancestor, HWND window) {
    const Window *record = FindWindowRecord(window);
    while (record != nullptr && record->parent != nullptr) {
        if (record->parent == ancestor) return true;
        record = FindWindowRecord(record->parent);
    }
    return false;
}

}  // namespace userlayer
