// Messages: per-thread queues, filters, waiting, sending across threads,
// translation and dispatch.
#include "support.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

class Messages : public UserTest {};

const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

LRESULT AskBackProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP) return 100 + SendMessageA(reinterpret_cast<HWND>(l), WM_GETTEXTLENGTH, 0, 0);
    return DefWindowProcA(window, message, w, l);
}

// A thread that makes a window and then pumps its messages until WM_QUIT.
class PumpThread {
public:
    PumpThread() : thread_([this] { Run(); }) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return window_ != nullptr; });
    }
    ~PumpThread() {
        PostThreadMessageA(id_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }
    DWORD id() const { return id_; }

private:
    void Run() {
        HWND window = CreateRecorder("pumped");
        {
            std::lock_guard<std::mutex> lock(mutex_);
            id_ = GetCurrentThreadId();
            window_ = window;
        }
        ready_.notify_all();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(window);
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    HWND window_ = nullptr;
    DWORD id_ = 0;
    std::thread thread_;
};

}  // namespace

TEST_F(Messages, PostedMessagesGoToTheQueueOfTheWindowsThread) {
    PumpThread other;
    HWND mine = CreateRecorder("mine");
    ASSERT_TRUE(PostMessageA(other.window(), WM_USER + 1, 11, 0));
    ASSERT_TRUE(PostMessageA(mine, WM_USER + 2, 22, 0));

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "another thread's message reached this queue";

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < deadline) {
        for (const Recorded &r : RecordedMessages()) {
            if (r.message != WM_USER + 1) continue;
            seen = true;
            EXPECT_EQ(r.thread, other.id());
        }
        std::this_thread::yield();
    }
    EXPECT_TRUE(seen) << "the other thread's pump never got its message";
    DestroyWindow(mine);
}

TEST_F(Messages, PeekFiltersByWindowThreadMessagesAndRange) {
    HWND a = CreateRecorder("a");
    HWND child = CreateRecorder("", a, 1);
    PostMessageA(child, WM_USER + 1, 0, 0);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);  // a thread message
    PostMessageA(a, WM_USER + 3, 0, 0);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));  // the window only, not its child
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    ASSERT_TRUE(PeekMessageA(&msg, kThreadOnly, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_EQ(msg.hwnd, nullptr);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, child);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(a);
}

TEST_F(Messages, PeekNeverWaits) {
    // A message arrives seconds later: a Peek that waited for one would get
    // it. Told by what Peek returns, not by a clock, so a slow machine passes.
    DWORD self = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread has its queue
    std::thread poster([self] {
        Sleep(3000);
        PostThreadMessageA(self, WM_USER + 9, 0, 0);
    });
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    poster.join();
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST_F(Messages, GetMessageWakesForAPostFromAnotherThreadAndEndsAtQuit) {
    DWORD self = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread has its queue
    std::thread poster([self] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        PostThreadMessageA(self, WM_APP, 7, 0);
        PostThreadMessageA(self, WM_APP + 1, 0, 0);
    });
    ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(msg.wParam, 7u);
    poster.join();

    PostQuitMessage(3);
    PostThreadMessageA(self, WM_APP + 2, 0, 0);
    ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);  // posted messages come before the quit
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 1));
    GetMessageA(&msg, nullptr, 0, 0);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit request came twice";
}

TEST_F(Messages, ThreadMessagesNeedALiveQueue) {
    DWORD ended = 0;
    std::thread([&ended] {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        ended = GetCurrentThreadId();
    }).join();
    EXPECT_FALSE(PostThreadMessageA(ended, WM_APP, 0, 0));
}

TEST_F(Messages, SendToAnotherThreadRunsThereAndReturnsItsResult) {
    PumpThread other;
    char text[32] = {};
    EXPECT_TRUE(SetWindowTextA(other.window(), "set from afar"));
    EXPECT_EQ(SendMessageA(other.window(), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 13);
    EXPECT_STREQ(text, "set from afar");
    for (const Recorded &r : RecordedMessages()) {
        if (r.message == WM_SETTEXT) {
            EXPECT_EQ(r.thread, other.id());
        }
    }
}

TEST_F(Messages, SendToAThreadThatSendsBackDoesNotDeadlock) {
    PumpThread other;
    HWND mine = CreateRecorder("mine");
    SetWindowLongPtrA(other.window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AskBackProc));
    // The other thread answers by sending to this thread, which is blocked in
    // SendMessage meanwhile.
    EXPECT_EQ(SendMessageA(other.window(), WM_APP, 0, reinterpret_cast<LPARAM>(mine)), 104);
    DestroyWindow(mine);
}

TEST_F(Messages, TranslateTurnsCharacterKeysIntoCharsThatComeNext) {
    HWND window = CreateRecorder();
    PostMessageA(window, WM_USER, 0, 0);
    MSG key = {window, WM_KEYDOWN, 'Q', 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('q'));
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);

    MSG shift = {window, WM_KEYDOWN, 0x10, 1, 0, {0, 0}};  // no character
    EXPECT_TRUE(TranslateMessage(&shift));
    MSG other = {window, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&other));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(window);
}

TEST_F(Messages, PointerMessagesCannotBePosted) {
    HWND window = CreateRecorder();
    EXPECT_FALSE(PostMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")));
    DestroyWindow(window);
}
