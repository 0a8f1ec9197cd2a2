// Fault injection and call counters of the test controls.
#include "scratch_dir.h"
#include "win32.h"
#include "winlayer_test.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        WinLayer_ClearFaults();
        WinLayer_ResetCounters();
    }
    void TearDown() override { WinLayer_ClearFaults(); }

    WinLayerCounters counters() {
        WinLayerCounters out = {};
        WinLayer_GetCounters(&out);
        return out;
    }

    ScratchDir scratch_;
};

// A small piece of work with three allocations that cleans up after a failure
// at any of them, as the data source's code must.
bool build_three_blocks(void) {
    HGLOBAL a = GlobalAlloc(GHND, 10);
    if (!a) return false;
    HGLOBAL b = GlobalAlloc(GHND, 20);
    if (!b) {
        GlobalFree(a);
        return false;
    }
    HGLOBAL grown = GlobalReAlloc(b, 40, GMEM_MOVEABLE);
    bool ok = grown != nullptr;
    GlobalFree(a);
    GlobalFree(b);
    return ok;
}

}  // namespace

TEST_F(Faults, CountersCountAllocationsAndOnlyGrowingReallocations) {
    HGLOBAL a = GlobalAlloc(GMEM_MOVEABLE, 10);
    HGLOBAL b = GlobalAlloc(GMEM_FIXED, 10);
    GlobalReAlloc(a, 100, GMEM_MOVEABLE);  // grows: counted
    GlobalReAlloc(a, 5, GMEM_MOVEABLE);    // shrinks: not counted
    GlobalReAlloc(a, 0, GMEM_MODIFY);      // attributes only: not counted
    EXPECT_EQ(counters().globalAllocs, 3);
    GlobalFree(a);
    GlobalFree(b);
    WinLayer_ResetCounters();
    EXPECT_EQ(counters().globalAllocs, 0);
}

TEST_F(Faults, NthAllocationFailsAndOnlyThatOne) {
    WinLayer_FailNthGlobalAlloc(2);
    HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE, 10);
    SetLastError(0);
    HGLOBAL second = GlobalAlloc(GMEM_MOVEABLE, 10);
    DWORD error = GetLastError();
    HGLOBAL third = GlobalAlloc(GMEM_MOVEABLE, 10);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(error, DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(counters().globalAllocs, 3);
    GlobalFree(first);
    GlobalFree(third);
}

TEST_F(Faults, FailedGrowingReallocationLeavesTheBlockIntact) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_NE(handle, nullptr);
    memcpy(GlobalLock(handle), "abcd", 4);
    GlobalUnlock(handle);
    WinLayer_FailNthGlobalAlloc(1);
    EXPECT_EQ(GlobalReAlloc(handle, 400, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalSize(handle), 4u);
    EXPECT_EQ(memcmp(GlobalLock(handle), "abcd", 4), 0);
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEST_F(Faults, SweepOverEveryAllocationLeaksNothing) {
    ASSERT_TRUE(build_three_blocks());
    long calls = counters().globalAllocs;
    ASSERT_EQ(calls, 3);
    long live = WinLayer_LiveGlobalHandles();
    for (long n = 1; n <= calls; n++) {
        WinLayer_FailNthGlobalAlloc(n);
        EXPECT_FALSE(build_three_blocks()) << "allocation " << n;
        EXPECT_EQ(WinLayer_LiveGlobalHandles(), live) << "allocation " << n;
    }
}

TEST_F(Faults, NthWriteWritesNothingAndReportsZero) {
    HFILE file = _lcreat(scratch_.path("w.bin").c_str(), 0);
    ASSERT_NE(file, HFILE_ERROR);
    WinLayer_FailNthFileWrite(2);
    EXPECT_EQ(_lwrite(file, "one", 3), 3u);
    EXPECT_EQ(_lwrite(file, "two", 3), 0u);
    EXPECT_EQ(_lwrite(file, "six", 3), 3u);
    _lclose(file);
    EXPECT_EQ(read_text_file(scratch_.path("w.bin")), "onesix");
    EXPECT_EQ(counters().fileWrites, 3);
}

TEST_F(Faults, NthReadReadsNothingAndReportsZero) {
    ASSERT_TRUE(write_text_file(scratch_.path("r.bin"), "abcdef"));
    HFILE file = _lopen(scratch_.path("r.bin").c_str(), OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    char buffer[4] = {};
    WinLayer_FailNthFileRead(1);
    EXPECT_EQ(_lread(file, buffer, 3), 0u);
    EXPECT_EQ(_lread(file, buffer, 3), 3u);
    EXPECT_EQ(memcmp(buffer, "abc", 3), 0);  // the failed read did not move the position
    _lclose(file);
    EXPECT_EQ(counters().fileReads, 2);
}

TEST_F(Faults, ClearFaultsDisarmsEveryFault) {
    WinLayer_FailNthGlobalAlloc(1);
    WinLayer_FailNthFileWrite(1);
    WinLayer_FailNthFileRead(1);
    WinLayer_FailNthHeapAlloc(1);
    WinLayer_ClearFaults();
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 1);
    EXPECT_NE(handle, nullptr);
    GlobalFree(handle);
    void *block = HeapAlloc(GetProcessHeap(), 0, 1);
    EXPECT_NE(block, nullptr);
    HeapFree(GetProcessHeap(), 0, block);
    HFILE file = _lcreat(scratch_.path("c.bin").c_str(), 0);
    EXPECT_EQ(_lwrite(file, "x", 1), 1u);
    _llseek(file, 0, FILE_BEGIN);
    char c = 0;
    EXPECT_EQ(_lread(file, &c, 1), 1u);
    _lclose(file);
}

TEST_F(Faults, HeapAllocationsAreCountedFailedAndTrackedUntilFreed) {
    long live = WinLayer_LiveHeapBlocks();
    WinLayer_FailNthHeapAlloc(2);
    void *first = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 16);
    SetLastError(0);
    void *second = HeapAlloc(GetProcessHeap(), 0, 16);
    DWORD error = GetLastError();
    void *third = HeapAlloc(GetProcessHeap(), 0, 16);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(error, DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(counters().heapAllocs, 3);
    EXPECT_EQ(WinLayer_LiveHeapBlocks(), live + 2);
    HeapFree(GetProcessHeap(), 0, first);
    HeapFree(GetProcessHeap(), 0, third);
    HeapFree(GetProcessHeap(), 0, nullptr);
    EXPECT_EQ(WinLayer_LiveHeapBlocks(), live);
}

TEST_F(Faults, FailZeroTurnsTheFaultOff) {
    WinLayer_FailNthGlobalAlloc(1);
    WinLayer_FailNthGlobalAlloc(0);
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 1);
    EXPECT_NE(handle, nullptr);
    GlobalFree(handle);
}
