// TWAIN 2 for the stand-in: DAT_ENTRYPOINT. An application that says DF_APP2
// gets the manager's entry point and memory functions (MSG_GET); a source
// that says DF_DS2 is given them (MSG_SET) before it is opened. Memory is a
// Linux TWAIN 2 manager's: zero-filled plain pointers, freed with free().
#include <stdlib.h>

#include "dsm_internal.h"

namespace {

TW_HANDLE TW_CALLINGSTYLE MemAllocate(TW_UINT32 size) { return calloc(size ? size : 1, 1); }
void TW_CALLINGSTYLE MemFree(TW_HANDLE handle) { free(handle); }
TW_MEMREF TW_CALLINGSTYLE MemLock(TW_HANDLE handle) { return handle; }
void TW_CALLINGSTYLE MemUnlock(TW_HANDLE) {}

}  // namespace

void DsmFillEntryPoint(TW_ENTRYPOINT *entryPoint) {
    *entryPoint = {sizeof(TW_ENTRYPOINT), DSM_Entry, MemAllocate, MemFree, MemLock, MemUnlock};
}

TW_UINT16 DsmEntryPoint(pTW_IDENTITY app, TW_UINT16 msg, pTW_ENTRYPOINT data) {
    if (msg != MSG_GET) return DsmFail(app->Id, TWCC_BADPROTOCOL);
    if (!(app->SupportedGroups & DF_APP2)) return DsmFail(app->Id, TWCC_BADPROTOCOL);
    if (!data || data->Size < sizeof(TW_ENTRYPOINT)) return DsmFail(app->Id, TWCC_BADVALUE);
    DsmFillEntryPoint(data);
    return TWRC_SUCCESS;
}
