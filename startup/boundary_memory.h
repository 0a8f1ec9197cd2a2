// Memory whose handle crosses DS_Entry: the capability containers, the
// native transfer's bitmap, and the application's containers and strip
// buffers. Each platform's TWAIN convention is followed:
//   Windows  global memory handles (GlobalAlloc, GlobalLock, ...).
//   Linux    plain pointers: made with the Source Manager's DSM_MemAllocate
//            when it gave one (DAT_ENTRYPOINT), else with malloc, which is
//            what its DSM_MemFree frees; locked as the Source Manager locks
//            them (DSM_MemLock, else the handle is the address). A handle of
//            our own layer's global memory is still taken as such.
// The rest of the data source keeps its own global memory.
#ifndef QR_STARTUP_BOUNDARY_MEMORY_H
#define QR_STARTUP_BOUNDARY_MEMORY_H

#include "twain.h"
#include "win32.h"

#include <stddef.h>

// What LockBoundary reports for a block whose size cannot be known (a plain
// pointer): the caller trusts the sizes the TWAIN record states.
constexpr size_t kBoundarySizeUnknown = (size_t)-1;

// A new block for the application, unlocked; null when out of memory.
TW_HANDLE AllocBoundary(size_t bytes);
// Frees a block made by AllocBoundary that never reached the application.
void FreeBoundary(TW_HANDLE handle);

// The block's bytes and its size; null when the handle names no block the
// source can read (null, freed, or no address at all).
void *LockBoundary(TW_HANDLE handle, size_t *size);
void UnlockBoundary(TW_HANDLE handle);

// A bitmap of our own global memory as the application receives it; the
// global block is freed either way. Null when out of memory.
TW_HANDLE HandOverBitmap(HGLOBAL bitmap);

#endif
