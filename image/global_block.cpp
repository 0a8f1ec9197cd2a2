#include "global_block.h"

void *AllocLockedBlock(HGLOBAL *handle, size_t bytes) {
    *handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes ? bytes : 1);
    void *data = *handle ? GlobalLock(*handle) : nullptr;
    if (!data && *handle) {
        GlobalFree(*handle);
        *handle = nullptr;
    }
    return data;
}

void FreeLockedBlock(HGLOBAL *handle) {
    if (!*handle) return;
    GlobalUnlock(*handle);
    GlobalFree(*handle);
    *handle = nullptr;
}
