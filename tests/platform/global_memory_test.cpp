// Global memory: handles, lock counts, reallocation and refusal of bad handles.
#include "win32.h"
#include "winlayer_test.h"

#include <gtest/gtest.h>

#include <string.h>

#include <thread>
#include <vector>

namespace {

constexpr UINT kDiscarded = 0x4000;  // GMEM_DISCARDED

HGLOBAL truncate_to_32_bits(HGLOBAL handle) {
    uint32_t low = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(low));
}

void fill(HGLOBAL handle, unsigned char value) {
    void *data = GlobalLock(handle);
    ASSERT_NE(data, nullptr);
    memset(data, value, GlobalSize(handle));
    GlobalUnlock(handle);
}

bool all_bytes_are(const void *data, size_t from, size_t to, unsigned char value) {
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    for (size_t i = from; i < to; i++) {
        if (bytes[i] != value) return false;
    }
    return true;
}

}  // namespace

TEST(GlobalMemory, MoveableHandleDoesNotFitIn32Bits) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(handle, nullptr);
    EXPECT_GT(reinterpret_cast<uintptr_t>(handle), uintptr_t(0xFFFFFFFFu));
    void *data = GlobalLock(handle);
    EXPECT_NE(data, nullptr);
    EXPECT_NE(data, handle);
    GlobalUnlock(handle);
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, HandleTruncatedTo32BitsIsRefused) {
    HGLOBAL handle = GlobalAlloc(GHND, 64);
    ASSERT_NE(handle, nullptr);
    HGLOBAL truncated = truncate_to_32_bits(handle);
    SetLastError(0);
    EXPECT_EQ(GlobalLock(truncated), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalSize(truncated), 0u);
    EXPECT_EQ(GlobalFree(truncated), truncated);
    EXPECT_EQ(GlobalSize(handle), 64u);  // the real block is untouched
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, FreedHandleIsRefusedByEveryCall) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 32);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(GlobalFree(handle), nullptr);

    SetLastError(0);
    EXPECT_EQ(GlobalLock(handle), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    SetLastError(0);
    EXPECT_FALSE(GlobalUnlock(handle));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalSize(handle), 0u);
    EXPECT_EQ(GlobalFlags(handle), UINT(GMEM_INVALID_HANDLE));
    EXPECT_EQ(GlobalReAlloc(handle, 64, GMEM_MOVEABLE), nullptr);
    SetLastError(0);
    EXPECT_EQ(GlobalFree(handle), handle);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(GlobalMemory, MadeUpHandleIsRefused) {
    HGLOBAL madeUp = reinterpret_cast<HGLOBAL>(uintptr_t(0x12345678));
    EXPECT_EQ(GlobalLock(madeUp), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalFree(madeUp), madeUp);
}

TEST(GlobalMemory, HandlesAreNeverReused) {
    HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_NE(first, nullptr);
    GlobalFree(first);
    for (int i = 0; i < 100; i++) {
        HGLOBAL again = GlobalAlloc(GMEM_MOVEABLE, 8);
        ASSERT_NE(again, nullptr);
        EXPECT_NE(again, first);
        GlobalFree(again);
    }
}

TEST(GlobalMemory, FreeNullIsHarmless) { EXPECT_EQ(GlobalFree(nullptr), nullptr); }

TEST(GlobalMemory, LockCountRisesAndFalls) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(handle, nullptr);
    void *first = GlobalLock(handle);
    void *second = GlobalLock(handle);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 2u);

    EXPECT_TRUE(GlobalUnlock(handle));  // still locked once
    SetLastError(12345);
    EXPECT_FALSE(GlobalUnlock(handle));  // now unlocked
    EXPECT_EQ(GetLastError(), DWORD(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(handle));  // was not locked
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_LOCKED));
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 0u);
    GlobalFree(handle);
}

TEST(GlobalMemory, SizeIsExact) {
    HGLOBAL handle = GlobalAlloc(GHND, 1001);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalSize(handle), 1001u);
    GlobalFree(handle);
}

TEST(GlobalMemory, ZeroInitGivesZeroes) {
    HGLOBAL handle = GlobalAlloc(GHND, 65536);
    ASSERT_NE(handle, nullptr);
    void *data = GlobalLock(handle);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(all_bytes_are(data, 0, 65536, 0));
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST(GlobalMemory, FixedHandleIsItsAddressAndStillTracked) {
    HGLOBAL handle = GlobalAlloc(GPTR, 100);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalLock(handle), handle);
    EXPECT_TRUE(GlobalUnlock(handle));  // Win32: TRUE for fixed memory
    EXPECT_EQ(GlobalFlags(handle), 0u);
    EXPECT_EQ(GlobalSize(handle), 100u);
    EXPECT_EQ(GlobalHandle(handle), handle);
    EXPECT_TRUE(all_bytes_are(handle, 0, 100, 0));
    EXPECT_EQ(GlobalFree(handle), nullptr);
    EXPECT_EQ(GlobalSize(handle), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalFree(handle), handle);
}

TEST(GlobalMemory, GlobalHandleFindsTheHandleOfALockedPointer) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 10);
    ASSERT_NE(handle, nullptr);
    void *data = GlobalLock(handle);
    EXPECT_EQ(GlobalHandle(data), handle);
    EXPECT_EQ(GlobalHandle(static_cast<char *>(data) + 1), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST(GlobalMemory, ReAllocMovesAnUnlockedBlockAndZeroFillsGrowth) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 100);
    ASSERT_NE(handle, nullptr);
    fill(handle, 0xAB);
    void *before = GlobalLock(handle);
    GlobalUnlock(handle);

    EXPECT_EQ(GlobalReAlloc(handle, 300, GMEM_MOVEABLE | GMEM_ZEROINIT), handle);
    EXPECT_EQ(GlobalSize(handle), 300u);
    void *after = GlobalLock(handle);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_TRUE(all_bytes_are(after, 0, 100, 0xAB));
    EXPECT_TRUE(all_bytes_are(after, 100, 300, 0));
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST(GlobalMemory, ReAllocMovesAnUnlockedBlockEvenWhenItShrinks) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 100);
    ASSERT_NE(handle, nullptr);
    fill(handle, 0x5A);
    void *before = GlobalLock(handle);
    GlobalUnlock(handle);

    EXPECT_EQ(GlobalReAlloc(handle, 40, 0), handle);
    void *after = GlobalLock(handle);
    EXPECT_NE(after, before);
    EXPECT_EQ(GlobalSize(handle), 40u);
    EXPECT_TRUE(all_bytes_are(after, 0, 40, 0x5A));
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST(GlobalMemory, LockedBlockGrowsOnlyWhenAllowedToMove) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 64);
    ASSERT_NE(handle, nullptr);
    fill(handle, 0x11);
    void *locked = GlobalLock(handle);

    SetLastError(0);
    EXPECT_EQ(GlobalReAlloc(handle, 128, 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(GlobalSize(handle), 64u);  // untouched after the failure
    EXPECT_TRUE(all_bytes_are(locked, 0, 64, 0x11));

    EXPECT_EQ(GlobalReAlloc(handle, 128, GMEM_MOVEABLE | GMEM_ZEROINIT), handle);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);  // still locked
    void *moved = GlobalLock(handle);
    EXPECT_NE(moved, locked);
    EXPECT_TRUE(all_bytes_are(moved, 0, 64, 0x11));
    EXPECT_TRUE(all_bytes_are(moved, 64, 128, 0));
    GlobalUnlock(handle);
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST(GlobalMemory, LockedBlockShrinksInPlace) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 64);
    ASSERT_NE(handle, nullptr);
    void *locked = GlobalLock(handle);
    EXPECT_EQ(GlobalReAlloc(handle, 16, 0), handle);
    EXPECT_EQ(GlobalLock(handle), locked);
    EXPECT_EQ(GlobalSize(handle), 16u);
    GlobalUnlock(handle);
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST(GlobalMemory, ReAllocToZeroDiscardsAndGrowingRestores) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 64);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalReAlloc(handle, 0, GMEM_MOVEABLE), handle);
    EXPECT_EQ(GlobalSize(handle), 0u);
    EXPECT_NE(GlobalFlags(handle) & kDiscarded, 0u);
    EXPECT_EQ(GlobalLock(handle), nullptr);

    EXPECT_EQ(GlobalReAlloc(handle, 10, GMEM_MOVEABLE | GMEM_ZEROINIT), handle);
    void *data = GlobalLock(handle);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(all_bytes_are(data, 0, 10, 0));
    EXPECT_EQ(GlobalFlags(handle) & kDiscarded, 0u);
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST(GlobalMemory, MoveableBlockOfZeroBytesIsDiscarded) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalLock(handle), nullptr);
    EXPECT_NE(GlobalFlags(handle) & kDiscarded, 0u);
    EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, FixedBlockGrowsOnlyByMovingToANewHandle) {
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 8);
    ASSERT_NE(fixed, nullptr);
    memcpy(fixed, "12345678", 8);
    EXPECT_EQ(GlobalReAlloc(fixed, 64, 0), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));

    HGLOBAL moved = GlobalReAlloc(fixed, 64, GMEM_MOVEABLE);
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, fixed);
    EXPECT_EQ(memcmp(moved, "12345678", 8), 0);
    EXPECT_EQ(GlobalSize(moved), 64u);
    EXPECT_EQ(GlobalSize(fixed), 0u);  // the old address is no handle any more
    EXPECT_EQ(GlobalLock(moved), moved);
    EXPECT_EQ(GlobalFree(moved), nullptr);
}

TEST(GlobalMemory, ModifyTurnsAFixedBlockIntoAMoveableOne) {
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 24);
    ASSERT_NE(fixed, nullptr);
    HGLOBAL moveable = GlobalReAlloc(fixed, 0, GMEM_MODIFY | GMEM_MOVEABLE);
    ASSERT_NE(moveable, nullptr);
    EXPECT_GT(reinterpret_cast<uintptr_t>(moveable), uintptr_t(0xFFFFFFFFu));
    EXPECT_EQ(GlobalSize(moveable), 24u);
    EXPECT_EQ(GlobalLock(moveable), fixed);  // same memory
    EXPECT_EQ(GlobalHandle(fixed), moveable);
    GlobalUnlock(moveable);
    EXPECT_EQ(GlobalSize(fixed), 0u);
    EXPECT_EQ(GlobalFree(moveable), nullptr);
}

TEST(GlobalMemory, ModifyLeavesSizeAndHandleOfAMoveableBlock) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 24);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalReAlloc(handle, 999, GMEM_MODIFY), handle);
    EXPECT_EQ(GlobalSize(handle), 24u);
    GlobalFree(handle);
}

TEST(GlobalMemory, FreeingALockedBlockFreesIt) {
    long before = WinLayer_LiveGlobalHandles();
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 24);
    ASSERT_NE(GlobalLock(handle), nullptr);
    EXPECT_EQ(GlobalFree(handle), nullptr);
    EXPECT_EQ(WinLayer_LiveGlobalHandles(), before);
}

TEST(GlobalMemory, LiveHandleCountFollowsAllocAndFree) {
    long before = WinLayer_LiveGlobalHandles();
    HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE, 1);
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 1);
    EXPECT_EQ(WinLayer_LiveGlobalHandles(), before + 2);
    GlobalFree(moveable);
    GlobalFree(fixed);
    EXPECT_EQ(WinLayer_LiveGlobalHandles(), before);
}

TEST(GlobalMemory, ThreadsShareTheTableSafely) {
    long before = WinLayer_LiveGlobalHandles();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([t] {
            for (int i = 0; i < 2000; i++) {
                HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(16 + i % 64));
                unsigned char *data = static_cast<unsigned char *>(GlobalLock(handle));
                data[0] = static_cast<unsigned char>(t);
                GlobalUnlock(handle);
                handle = GlobalReAlloc(handle, 256, GMEM_MOVEABLE);
                data = static_cast<unsigned char *>(GlobalLock(handle));
                if (data[0] != t) ADD_FAILURE() << "block contents changed under another thread";
                GlobalUnlock(handle);
                GlobalFree(handle);
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(WinLayer_LiveGlobalHandles(), before);
}
