// The process heap and the process id.
#include "kernel_internal.h"
#include "winlayer_test.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

// Any non-null value names the one heap; blocks come from malloc.
static char gProcessHeap;
// Blocks handed out and not yet freed, for the tests' leak checks.
static std::atomic<long> gLiveHeapBlocks;

WINBASEAPI HANDLE GetProcessHeap(void) { return &gProcessHeap; }

WINBASEAPI LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap != &gProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void *block = kernel::CountHeapAlloc() ? nullptr : malloc(bytes ? bytes : 1);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & HEAP_ZERO_MEMORY) memset(block, 0, bytes);
    ++gLiveHeapBlocks;
    return block;
}

WINBASEAPI BOOL HeapFree(HANDLE heap, DWORD, LPVOID block) {
    if (heap != &gProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block) --gLiveHeapBlocks;
    free(block);
    return TRUE;
}

WINBASEAPI long WinLayer_LiveHeapBlocks(void) { return gLiveHeapBlocks; }

WINBASEAPI DWORD GetCurrentProcessId(void) { return (DWORD)getpid(); }
