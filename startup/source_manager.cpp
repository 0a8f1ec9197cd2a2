#include "source_manager.h"

#include "modules.h"

namespace {

DSMENTRYPROC gpEntryPointDSMEntry;
SourceManagerMemory gMemory;

}  // namespace

void UseSourceManagerEntryPoint(const TW_ENTRYPOINT &entryPoint) {
    gpEntryPointDSMEntry = entryPoint.DSM_Entry;
    gMemory = {entryPoint.DSM_MemAllocate, entryPoint.DSM_MemFree, entryPoint.DSM_MemLock, entryPoint.DSM_MemUnlock};
    // A block is freed by the partner of the function that made it: without
    // both, neither is used.
    if (!gMemory.allocate || !gMemory.free) {
        gMemory.allocate = nullptr;
        gMemory.free = nullptr;
    }
}

void ForgetSourceManagerEntryPoint() {
    gpEntryPointDSMEntry = nullptr;
    gMemory = {};
}

DSMENTRYPROC SourceManagerEntry() { return gpEntryPointDSMEntry ? gpEntryPointDSMEntry : gpDSMEntry; }

const SourceManagerMemory &SourceManagerMemoryFunctions() { return gMemory; }
