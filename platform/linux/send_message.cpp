// SendMessage. On the window's own thread it is a direct call of the window
// procedure. A window of another thread has its procedure run on that thread:
// the message waits in that thread's queue until the thread next looks for
// messages, and the sender, while it waits, runs whatever is sent to it, so
// that two threads sending to each other do not block for ever.
#include "user_state.h"

namespace userlayer {

namespace {

LRESULT SendToOtherThread(DWORD owner, HWND window, UINT message, WPARAM w, LPARAM l) {
    Lock lock = LockState();
    ThreadQueue *target = FindQueue(owner);
    if (target == nullptr) return 0;  // the thread has ended
    ThreadQueue &self = CurrentQueue();
    SentMessage sent = {window, message, w, l, 0, false, &self.wake};
    target->sent.push_back(&sent);
    target->wake.notify_all();
    while (!sent.done) {
        if (!self.sent.empty()) {
            lock.unlock();
            DeliverSentMessages();
            lock.lock();
            continue;
        }
        self.wake.wait(lock);
    }
    return sent.result;
}

// The window's procedure, provided the window still exists and is this
// thread's; null otherwise.
WNDPROC ProcedureHere(HWND window) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(window);
    if (record == nullptr || record->thread != CurrentThread()) return nullptr;
    return record->proc;
}

}  // namespace

void DeliverSentMessages() {
    for (;;) {
        SentMessage *sent = nullptr;
        {
            Lock lock = LockState();
            ThreadQueue *queue = FindQueue(CurrentThread());
            if (queue == nullptr || queue->sent.empty()) return;
            sent = queue->sent.front();
            queue->sent.pop_front();
        }
        WNDPROC proc = ProcedureHere(sent->window);
        LRESULT result = proc != nullptr ? proc(sent->window, sent->message, sent->wParam, sent->lParam) : 0;
        Lock lock = LockState();
        sent->result = result;
        sent->done = true;
        sent->senderWake->notify_all();
    }
}

}  // namespace userlayer

using namespace userlayer;

LRESULT SendMessageA(HWND window, UINT message, WPARAM w, LPARAM l) {
    WNDPROC proc = nullptr;
    DWORD owner = 0;
    {
        Lock lock = LockState();
        const Window *record = RequireWindow(window);
        if (record == nullptr) return 0;
        proc = record->proc;
        owner = record->thread;
    }
    if (owner == CurrentThread()) return proc(window, message, w, l);
    return SendToOtherThread(owner, window, message, w, l);
}
