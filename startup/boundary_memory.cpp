#include "boundary_memory.h"

#include "source_manager.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)

TW_HANDLE AllocBoundary(size_t bytes) { return GlobalAlloc(GMEM_MOVEABLE, bytes); }

void FreeBoundary(TW_HANDLE handle) { GlobalFree(handle); }

void *LockBoundary(TW_HANDLE handle, size_t *size) {
    *size = handle ? GlobalSize(handle) : 0;
    return *size ? GlobalLock(handle) : nullptr;
}

void UnlockBoundary(TW_HANDLE handle) { GlobalUnlock(handle); }

TW_HANDLE HandOverBitmap(HGLOBAL bitmap) { return bitmap; }

#else

namespace {

// Our own layer's global memory: an application of ours, or a test.
bool IsGlobalBlock(TW_HANDLE handle) { return GlobalFlags(handle) != GMEM_INVALID_HANDLE; }

// Linux maps nothing in the first 64 KiB of a process, and no user address
// reaches 2^56: anything outside is no pointer (a stale global handle of
// our layer, say) and is refused rather than read.
bool CanBeAnAddress(TW_HANDLE handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    return value >= 0x10000 && value < (uintptr_t(1) << 56);
}

}  // namespace

TW_HANDLE AllocBoundary(size_t bytes) {
    const SourceManagerMemory &memory = SourceManagerMemoryFunctions();
    if (bytes > UINT32_MAX) return nullptr;  // DSM_MemAllocate takes 32 bits
    if (memory.allocate) return memory.allocate((TW_UINT32)bytes);
    return malloc(bytes ? bytes : 1);
}

void FreeBoundary(TW_HANDLE handle) {
    if (!handle) return;
    const SourceManagerMemory &memory = SourceManagerMemoryFunctions();
    if (memory.free)
        memory.free(handle);
    else
        free(handle);
}

void *LockBoundary(TW_HANDLE handle, size_t *size) {
    *size = 0;
    if (!handle) return nullptr;
    if (IsGlobalBlock(handle)) {
        *size = GlobalSize(handle);
        return *size ? GlobalLock(handle) : nullptr;
    }
    if (!CanBeAnAddress(handle)) return nullptr;
    *size = kBoundarySizeUnknown;
    const SourceManagerMemory &memory = SourceManagerMemoryFunctions();
    return memory.lock ? memory.lock(handle) : handle;
}

void UnlockBoundary(TW_HANDLE handle) {
    if (!handle) return;
    if (IsGlobalBlock(handle)) {
        GlobalUnlock(handle);
        return;
    }
    const SourceManagerMemory &memory = SourceManagerMemoryFunctions();
    if (memory.unlock) memory.unlock(handle);
}

TW_HANDLE HandOverBitmap(HGLOBAL bitmap) {
    size_t bytes = GlobalSize(bitmap);
    const void *from = bytes ? GlobalLock(bitmap) : nullptr;
    TW_HANDLE handed = from ? AllocBoundary(bytes) : nullptr;
    size_t size = 0;
    void *to = handed ? LockBoundary(handed, &size) : nullptr;
    if (to) {
        memcpy(to, from, bytes);
        UnlockBoundary(handed);
    } else {
        FreeBoundary(handed);
        handed = nullptr;
    }
    if (from) GlobalUnlock(bitmap);
    GlobalFree(bitmap);
    return handed;
}

#endif
