// The test controls of winlayer_test.h that belong to the kernel side: call
// counters and "fail the n-th call from now" for global allocations, heap
// allocations, file writes and file reads. The memory and file code ask
// count_*() once per call.
#include "kernel_internal.h"
#include "winlayer_test.h"

#include <mutex>

namespace {

// One kind of call: how many were made since the last reset, and how many
// more may succeed before the one chosen to fail (0 = no fault armed).
struct FaultPoint {
    long calls;
    long untilFailure;
};

std::mutex gFaultMutex;
FaultPoint gGlobalAllocs;
FaultPoint gFileWrites;
FaultPoint gFileReads;
FaultPoint gHeapAllocs;

bool CountCall(FaultPoint &point) {
    std::lock_guard<std::mutex> lock(gFaultMutex);
    point.calls++;
    if (point.untilFailure <= 0) return false;
    point.untilFailure--;
    return point.untilFailure == 0;
}

void ArmFault(FaultPoint &point, long n) {
    std::lock_guard<std::mutex> lock(gFaultMutex);
    point.untilFailure = n > 0 ? n : 0;
}

}  // namespace

namespace kernel {

bool CountGlobalAlloc(void) { return CountCall(gGlobalAllocs); }

bool CountFileWrite(void) { return CountCall(gFileWrites); }

bool CountFileRead(void) { return CountCall(gFileReads); }

bool CountHeapAlloc(void) { return CountCall(gHeapAllocs); }

}  // namespace kernel

WINBASEAPI void WinLayer_GetCounters(WinLayerCounters *out) {
    if (!out) return;
    std::lock_guard<std::mutex> lock(gFaultMutex);
    out->globalAllocs = gGlobalAllocs.calls;
    out->fileWrites = gFileWrites.calls;
    out->fileReads = gFileReads.calls;
    out->heapAllocs = gHeapAllocs.calls;
}

WINBASEAPI void WinLayer_ResetCounters(void) {
    std::lock_guard<std::mutex> lock(gFaultMutex);
    gGlobalAllocs.calls = 0;
    gFileWrites.calls = 0;
    gFileReads.calls = 0;
    gHeapAllocs.calls = 0;
}

WINBASEAPI void WinLayer_FailNthGlobalAlloc(long n) { ArmFault(gGlobalAllocs, n); }

WINBASEAPI void WinLayer_FailNthFileWrite(long n) { ArmFault(gFileWrites, n); }

WINBASEAPI void WinLayer_FailNthFileRead(long n) { ArmFault(gFileReads, n); }

WINBASEAPI void WinLayer_FailNthHeapAlloc(long n) { ArmFault(gHeapAllocs, n); }

WINBASEAPI void WinLayer_ClearFaults(void) {
    ArmFault(gGlobalAllocs, 0);
    ArmFault(gFileWrites, 0);
    ArmFault(gFileReads, 0);
    ArmFault(gHeapAllocs, 0);
}
