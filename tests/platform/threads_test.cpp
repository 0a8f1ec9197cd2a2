// GetCurrentThreadId, GetTickCount and Sleep.
#include "win32.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <thread>

TEST(Threads, ThreadIdIsStableAndDiffersBetweenThreads) {
    DWORD mine = GetCurrentThreadId();
    EXPECT_EQ(GetCurrentThreadId(), mine);
    EXPECT_EQ(mine, static_cast<DWORD>(gettid()));
    DWORD other = 0;
    std::thread([&other] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, mine);
}

TEST(Threads, SleepWaitsAtLeastAsLongAsAsked) {
    DWORD before = GetTickCount();
    Sleep(50);
    DWORD elapsed = GetTickCount() - before;  // unsigned: right across a wrap
    EXPECT_GE(elapsed, 49u);
    EXPECT_LT(elapsed, 5000u);
}
