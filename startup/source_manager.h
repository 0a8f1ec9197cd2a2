// The Source Manager the data source talks back to. A TWAIN 2 Source
// Manager hands over its entry point and memory functions (DAT_ENTRYPOINT)
// before it opens the source; the session then uses them. Otherwise the
// TWAIN_32.DLL bound at start-up carries the notifications, and memory
// follows the platform's own convention (boundary_memory.h).
#ifndef QR_STARTUP_SOURCE_MANAGER_H
#define QR_STARTUP_SOURCE_MANAGER_H

#include "twain.h"
#include "win32.h"

// Keeps the Source Manager's functions until the module unloads or another
// DAT_ENTRYPOINT replaces them: the Source Manager that sent them is the one
// that loaded us, and it unloads us before it goes. A missing allocator or
// its partner leaves the platform's convention in place for allocation.
void UseSourceManagerEntryPoint(const TW_ENTRYPOINT &entryPoint);
// Back to TWAIN_32.DLL and the platform's convention (the module unloads).
void ForgetSourceManagerEntryPoint();

// Where MSG_XFERREADY and MSG_CLOSEDSREQ go: the entry point given with
// DAT_ENTRYPOINT, else TWAIN_32.DLL's DSM_Entry; null when there is neither.
DSMENTRYPROC SourceManagerEntry();

// The memory functions given with DAT_ENTRYPOINT; each may be null.
struct SourceManagerMemory {
    DSM_MEMALLOCATE allocate;
    DSM_MEMFREE free;
    DSM_MEMLOCK lock;
    DSM_MEMUNLOCK unlock;
};
const SourceManagerMemory &SourceManagerMemoryFunctions();

#endif
