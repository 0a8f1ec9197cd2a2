// Destroying windows: owned windows first, then WM_DESTROY from the window
// down to its children, then WM_NCDESTROY from the deepest child up. A
// destroyed window's handle is refused from then on; its timers, queued
// messages, capture, focus and device contexts go with it.
#include "user_state.h"

#include <algorithm>

namespace userlayer {

namespace {

// Lock held: the window and its descendants, each parent before its children.
void CollectTree(HWND window, std::vector<HWND> &out) {
    const Window *record = FindWindowRecord(window);
    if (record == nullptr) return;
    out.push_back(window);
    for (HWND child : record->children) CollectTree(child, out);
}

std::vector<HWND> OwnedWindows(HWND owner) {
    std::vector<HWND> owned;
    for (const auto &entry : State().windows) {
        if (entry.second->owner == owner && !entry.second->destroying) owned.push_back(entry.first);
    }
    return owned;
}

std::vector<HWND> MarkTreeDestroying(HWND window) {
    std::vector<HWND> tree;
    CollectTree(window, tree);
    for (HWND member : tree) {
        Window *record = FindWindowRecord(member);
        record->destroying = true;
        record->style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
    return tree;
}

void ReleaseCaptureHeldBy(const std::vector<HWND> &tree) {
    HWND capture = GetCapture();
    if (capture != nullptr && std::find(tree.begin(), tree.end(), capture) != tree.end()) ReleaseCapture();
}

void ForgetQueuedState(ThreadQueue &queue, HWND window) {
    auto &timers = queue.timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(), [window](const Timer &t) { return t.window == window; }),
                 timers.end());
    auto &posted = queue.posted;
    posted.erase(std::remove_if(posted.begin(), posted.end(), [window](const MSG &m) { return m.hwnd == window; }),
                 posted.end());
    if (queue.capture == window) queue.capture = nullptr;
    if (queue.focus == window) queue.focus = nullptr;
}

}  // namespace

void FreeWindowTree(HWND window) {
    std::vector<HWND> tree;
    CollectTree(window, tree);
    for (auto member = tree.rbegin(); member != tree.rend(); ++member) FreeWindowRecord(*member);
}

void FreeWindowRecord(HWND window) {
    Window *record = FindWindowRecord(window);
    if (record == nullptr) return;
    if (Window *parent = FindWindowRecord(record->parent)) {
        auto &siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    for (auto &entry : State().windows) {
        if (entry.second->owner == window) entry.second->owner = nullptr;
    }
    if (ThreadQueue *queue = FindQueue(record->thread)) ForgetQueuedState(*queue, window);
    ReleaseWindowDrawing(window);
    State().windows.erase(window);
}

}  // namespace userlayer

using namespace userlayer;

BOOL DestroyWindow(HWND window) {
    std::vector<HWND> owned;
    {
        Lock lock = LockState();
        const Window *record = RequireWindow(window);
        if (record == nullptr) return FALSE;
        if (record->thread != CurrentThread()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (record->destroying) return TRUE;
        owned = OwnedWindows(window);
    }
    for (HWND ownedWindow : owned) DestroyWindow(ownedWindow);

    std::vector<HWND> tree;
    {
        Lock lock = LockState();
        const Window *record = FindWindowRecord(window);
        if (record == nullptr || record->destroying) return TRUE;  // gone while its owned windows went
        tree = MarkTreeDestroying(window);
    }
    ReleaseCaptureHeldBy(tree);
    for (HWND member : tree) SendMessageA(member, WM_DESTROY, 0, 0);

    {
        Lock lock = LockState();
        tree = MarkTreeDestroying(window);  // children made during WM_DESTROY go too
    }
    for (auto member = tree.rbegin(); member != tree.rend(); ++member) {
        SendMessageA(*member, WM_NCDESTROY, 0, 0);
        Lock lock = LockState();
        FreeWindowRecord(*member);
    }
    return TRUE;
}
