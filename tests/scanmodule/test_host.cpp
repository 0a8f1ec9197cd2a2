// Stands in for the data source around the scan module: exports the two
// callbacks and counts them. Built twice, as QRVM.ds (found by name) and as
// otherhost.ds (found only as the caller of an operation).
#include "scanmodule.h"

namespace {
int gScans = 0;
TW_UINT32 gLastFlag = 0xFFFFFFFFu;
int gCloses = 0;
volatile int gHostCalls = 0;
}  // namespace

QR_EXPORT void SM_API ReadytoScan(TW_UINT32 flag) {
    ++gScans;
    gLastFlag = flag;
}

QR_EXPORT void SM_API ReadytoCloseSM(void) { ++gCloses; }

QR_EXPORT int Host_Scans(void) { return gScans; }
QR_EXPORT TW_UINT32 Host_LastFlag(void) { return gLastFlag; }
QR_EXPORT int Host_Closes(void) { return gCloses; }

// Calls the operation from inside this module, as a data source would. The
// count after the call keeps it from becoming a tail call, which would hand
// the operation our caller's return address instead of ours.
QR_EXPORT int Host_CallNoUI(NoUItoXferImageProc op) {
    int result = op(nullptr);
    ++gHostCalls;
    return result;
}
