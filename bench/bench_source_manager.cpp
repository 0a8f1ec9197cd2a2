// A Source Manager for the benchmarks: it takes the data source's messages
// (MSG_XFERREADY, MSG_CLOSEDSREQ) and does nothing with them; the benchmark
// drives the transfers itself.
#include "twain.h"
#include "win32.h"

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(pTW_IDENTITY, pTW_IDENTITY, TW_UINT32, TW_UINT16,
                                                                      TW_UINT16, TW_MEMREF) {
    return TWRC_SUCCESS;
}
