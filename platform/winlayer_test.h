// Controls of the Linux layer that exist for tests only: leak counts, fault
// injection and a hook that sees every message box.
#ifndef QR_PLATFORM_WINLAYER_TEST_H
#define QR_PLATFORM_WINLAYER_TEST_H

#include "win32.h"

#if !defined(_WIN32)

// Number of live global-memory handles (allocated and not yet freed).
WINBASEAPI long WinLayer_LiveGlobalHandles(void);

// Counters of calls made since the last reset, for fault-injection sweeps.
struct WinLayerCounters {
    long globalAllocs;  // GlobalAlloc and growing GlobalReAlloc calls
    long fileWrites;    // _lwrite calls
    long fileReads;     // _lread calls
};
WINBASEAPI void WinLayer_GetCounters(WinLayerCounters *out);
WINBASEAPI void WinLayer_ResetCounters(void);

// Fault injection: the n-th call from now (1 = the next one) fails; 0 turns the
// fault off. A failed allocation returns NULL; a failed write or read moves
// fewer bytes than asked (none) and reports that short count.
WINBASEAPI void WinLayer_FailNthGlobalAlloc(long n);
WINBASEAPI void WinLayer_FailNthFileWrite(long n);
WINBASEAPI void WinLayer_FailNthFileRead(long n);
WINBASEAPI void WinLayer_ClearFaults(void);

// Every MessageBox text also goes to this hook (after stderr), with the
// caption; the hook's result is what MessageBox returns (IDOK when no hook).
typedef int (*WinLayerMessageBoxHook)(void *context, const char *text, const char *caption, UINT type);
WINBASEAPI void WinLayer_SetMessageBoxHook(WinLayerMessageBoxHook hook, void *context);
// Silence the copy on stderr (tests that expect many messages).
WINBASEAPI void WinLayer_SetMessageBoxQuiet(BOOL quiet);

#endif

#endif
