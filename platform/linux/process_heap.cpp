// The process heap and the process id.
#include "win32.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

// Any non-null value names the one heap; blocks come from malloc.
static char gProcessHeap;

WINBASEAPI HANDLE GetProcessHeap(void) { return &gProcessHeap; }

WINBASEAPI LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap != &gProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void *block = malloc(bytes ? bytes : 1);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & HEAP_ZERO_MEMORY) memset(block, 0, bytes);
    return block;
}

WINBASEAPI BOOL HeapFree(HANDLE heap, DWORD, LPVOID block) {
    if (heap != &gProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    free(block);
    return TRUE;
}

WINBASEAPI DWORD GetCurrentProcessId(void) { return (DWORD)getpid(); }
