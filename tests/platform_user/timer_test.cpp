// Timers: WM_TIMER made when a thread finds its queue empty, once per due
// period, never queued.
#include "support.h"

#include <chrono>
#include <thread>

namespace {

class Timers : public UserTest {};

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int gTimerProcCalls = 0;
UINT_PTR gTimerProcId = 0;

void CountingTimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    ++gTimerProcCalls;
    gTimerProcId = id;
}

void ForgedTargetProc(HWND, UINT, UINT_PTR, DWORD) { ADD_FAILURE() << "a forged WM_TIMER called a timer procedure"; }

}  // namespace

TEST_F(Timers, FireOncePerDuePeriodNotOncePerMissedPeriod) {
    HWND window = CreateRecorder();
    ASSERT_EQ(SetTimer(window, 6, 20, nullptr), 6u);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "due before its period";
    SleepMs(100);  // five periods
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.wParam, 6u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "missed periods were queued";
    SleepMs(40);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    KillTimer(window, 6);
    DestroyWindow(window);
}

TEST_F(Timers, ComeOnlyWhenNoPostedMessageWaits) {
    HWND window = CreateRecorder();
    SetTimer(window, 1, 10, nullptr);
    SleepMs(30);
    PostMessageA(window, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "peeking without removal used the period up";
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    KillTimer(window, 1);
    DestroyWindow(window);
}

TEST_F(Timers, SettingAgainRestartsThePeriod) {
    HWND window = CreateRecorder();
    EXPECT_EQ(SetTimer(window, 2, 200, nullptr), 2u);
    SleepMs(150);
    EXPECT_EQ(SetTimer(window, 2, 200, nullptr), 2u);
    SleepMs(100);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    KillTimer(window, 2);
    DestroyWindow(window);
}

TEST_F(Timers, KilledAndDestroyedWindowsTimersStop) {
    HWND first = CreateRecorder();
    HWND second = CreateRecorder();
    SetTimer(first, 1, 10, nullptr);
    SetTimer(second, 1, 10, nullptr);
    EXPECT_TRUE(KillTimer(first, 1));
    EXPECT_FALSE(KillTimer(first, 1));
    DestroyWindow(second);
    SleepMs(30);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(first);
}

TEST_F(Timers, GetMessageSleepsUntilTheTimerIsDue) {
    HWND window = CreateRecorder();
    SetTimer(window, 3, 30, nullptr);
    auto start = std::chrono::steady_clock::now();
    MSG msg;
    ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_GE(waited, std::chrono::milliseconds(25));
    EXPECT_LT(waited, std::chrono::seconds(10));
    KillTimer(window, 3);
    DestroyWindow(window);
}

TEST_F(Timers, ThreadTimerProcedureRunsFromDispatchButForgedTimersDoNot) {
    gTimerProcCalls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 10, CountingTimerProc);
    ASSERT_NE(id, 0u);
    SleepMs(30);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, id);
    DispatchMessageA(&msg);
    EXPECT_EQ(gTimerProcCalls, 1);
    EXPECT_EQ(gTimerProcId, id);
    EXPECT_TRUE(KillTimer(nullptr, id));

    MSG forged = {nullptr, WM_TIMER, id, reinterpret_cast<LPARAM>(ForgedTargetProc), 0, {0, 0}};
    DispatchMessageA(&forged);
}

TEST_F(Timers, AnotherThreadsWindowGetsNoTimer) {
    HWND window = CreateRecorder();
    UINT_PTR result = 1;
    std::thread([&] { result = SetTimer(window, 1, 10, nullptr); }).join();
    EXPECT_EQ(result, 0u);
    DestroyWindow(window);
}

TEST_F(Timers, InjectedFaultFailsTheNthSetTimer) {
    HWND window = CreateRecorder();
    WinLayer_FailNthSetTimer(2);
    EXPECT_EQ(SetTimer(window, 1, 100, nullptr), 1u);
    EXPECT_EQ(SetTimer(window, 2, 100, nullptr), 0u);
    EXPECT_EQ(SetTimer(window, 3, 100, nullptr), 3u);
    DestroyWindow(window);
}
