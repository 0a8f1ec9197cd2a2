// Global memory: GlobalAlloc and its family over malloc, with Win32's rules
// for handles, lock counts and reallocation.
//
// Every block, fixed or moveable, is recorded in one table under one mutex,
// so that a freed or unknown handle is recognised and refused instead of
// being dereferenced. A fixed block's handle is its address. A moveable
// block's handle is a tag in the high bits plus a serial that is never used
// twice: it is no address at all (dereferencing it faults at once), it does
// not fit in 32 bits (a truncated handle is refused), and a stale handle
// never names a newer block.
//
// Stale pointers are made to show: an unlocked moveable block moves to a new
// address on every GlobalReAlloc, and a locked one moves whenever the caller
// allows it with GMEM_MOVEABLE.
#include "kernel_internal.h"
#include "winlayer_test.h"

#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <new>
#include <unordered_map>

#ifndef GMEM_DISCARDED
#define GMEM_DISCARDED 0x4000
#endif

static_assert(sizeof(void *) == 8, "moveable handles are laid out for 64-bit builds");

namespace {

// "QR" in the top 16 bits: outside the canonical x86-64 and AArch64 user
// address ranges, so no fixed block's address can ever equal a moveable handle.
constexpr uintptr_t kMoveableTag = uintptr_t(0x5152) << 48;
constexpr uintptr_t kSerialLimit = uintptr_t(1) << 48;

struct GlobalBlock {
    void *data;          // NULL while a moveable block is discarded (0 bytes)
    SIZE_T size;         // what the caller asked for
    SIZE_T capacity;     // what `data` holds; growth up to here stays in place
    UINT flags;          // GMEM_MOVEABLE and GMEM_DDESHARE as allocated
    unsigned lockCount;  // moveable blocks only; fixed blocks stay at 0
};

std::mutex gMemoryMutex;
std::unordered_map<uintptr_t, GlobalBlock> gBlocks;         // by handle
std::unordered_map<const void *, uintptr_t> gHandleOfData;  // by block address
uintptr_t gNextSerial = 1;

bool IsMoveable(const GlobalBlock &block) { return (block.flags & GMEM_MOVEABLE) != 0; }

GlobalBlock *FindBlock(HGLOBAL mem) {
    auto found = gBlocks.find(reinterpret_cast<uintptr_t>(mem));
    return found == gBlocks.end() ? nullptr : &found->second;
}

// malloc(0) may return NULL or a shared address; a block always gets an
// address of its own.
void *AllocateData(SIZE_T bytes, bool zero) {
    SIZE_T size = bytes ? bytes : 1;
    return zero ? calloc(1, size) : malloc(size);
}

uintptr_t TakeMoveableHandle(void) {
    if (gNextSerial >= kSerialLimit) return 0;
    return kMoveableTag | gNextSerial++;
}

// Records a block under its handle (and its address, when it has one).
bool RecordBlock(uintptr_t handle, const GlobalBlock &block) {
    try {
        gBlocks.emplace(handle, block);
        if (block.data) gHandleOfData[block.data] = handle;
        return true;
    } catch (const std::bad_alloc &) {
        gBlocks.erase(handle);
        return false;
    }
}

// A new allocation of `bytes` that holds the block's contents, the growth
// zero-filled when asked.
void *CopyBlockData(const GlobalBlock &block, SIZE_T bytes, bool zeroGrowth) {
    void *copy = AllocateData(bytes, false);
    if (!copy) return nullptr;
    SIZE_T kept = block.size < bytes ? block.size : bytes;
    if (kept) memcpy(copy, block.data, kept);
    if (zeroGrowth && bytes > kept) memset(static_cast<char *>(copy) + kept, 0, bytes - kept);
    return copy;
}

// A moveable block's contents go to a new address; its handle stays. On
// failure the block is left as it was.
bool MoveBlock(uintptr_t handle, GlobalBlock &block, SIZE_T bytes, bool zeroGrowth) {
    void *moved = CopyBlockData(block, bytes, zeroGrowth);
    if (!moved) return false;
    try {
        gHandleOfData[moved] = handle;
    } catch (const std::bad_alloc &) {
        free(moved);
        return false;
    }
    if (block.data) {
        gHandleOfData.erase(block.data);
        free(block.data);
    }
    block.data = moved;
    block.size = bytes;
    block.capacity = bytes ? bytes : 1;
    return true;
}

// Shrinking, or growing within the allocation, keeps the address.
bool ResizeInPlace(GlobalBlock &block, SIZE_T bytes, bool zeroGrowth) {
    if (!block.data || bytes > block.capacity) return false;
    if (zeroGrowth && bytes > block.size) memset(static_cast<char *>(block.data) + block.size, 0, bytes - block.size);
    block.size = bytes;
    return true;
}

// A moveable block of 0 bytes has no memory: Win32 calls it discarded.
void DiscardBlock(GlobalBlock &block) {
    gHandleOfData.erase(block.data);
    free(block.data);
    block.data = nullptr;
    block.size = 0;
    block.capacity = 0;
}

// GMEM_MODIFY with GMEM_MOVEABLE turns a fixed block into a moveable one,
// which gets a handle of its own; every other attribute change keeps it.
HGLOBAL ModifyBlock(HGLOBAL mem, GlobalBlock &block, UINT flags) {
    if (!(flags & GMEM_MOVEABLE) || IsMoveable(block)) return mem;
    uintptr_t handle = TakeMoveableHandle();
    GlobalBlock converted = block;
    converted.flags |= GMEM_MOVEABLE;
    if (!handle || !RecordBlock(handle, converted)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    gBlocks.erase(reinterpret_cast<uintptr_t>(mem));
    return reinterpret_cast<HGLOBAL>(handle);
}

HGLOBAL ReallocateMoveable(HGLOBAL mem, GlobalBlock &block, SIZE_T bytes, UINT flags) {
    uintptr_t handle = reinterpret_cast<uintptr_t>(mem);
    bool zeroGrowth = (flags & GMEM_ZEROINIT) != 0;
    if (bytes == 0 && block.lockCount == 0) {
        DiscardBlock(block);
        return mem;
    }
    bool mayMove = block.lockCount == 0 || (flags & GMEM_MOVEABLE);
    bool done = mayMove ? MoveBlock(handle, block, bytes, zeroGrowth) : ResizeInPlace(block, bytes, zeroGrowth);
    if (!done) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return mem;
}

// A fixed block's handle is its address, so a fixed block that moves comes
// back under a new handle.
HGLOBAL ReallocateFixed(HGLOBAL mem, GlobalBlock &block, SIZE_T bytes, UINT flags) {
    bool zeroGrowth = (flags & GMEM_ZEROINIT) != 0;
    if (!(flags & GMEM_MOVEABLE)) {
        if (!ResizeInPlace(block, bytes, zeroGrowth)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        return mem;
    }
    GlobalBlock moved = block;
    moved.data = CopyBlockData(block, bytes, zeroGrowth);
    moved.size = bytes;
    moved.capacity = bytes ? bytes : 1;
    if (!moved.data || !RecordBlock(reinterpret_cast<uintptr_t>(moved.data), moved)) {
        free(moved.data);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    gHandleOfData.erase(block.data);
    free(block.data);
    gBlocks.erase(reinterpret_cast<uintptr_t>(mem));  // `block` dies here
    return static_cast<HGLOBAL>(moved.data);
}

}  // namespace

WINBASEAPI HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    if (kernel::CountGlobalAlloc()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    GlobalBlock block = {nullptr, bytes, 0, flags & (GMEM_MOVEABLE | GMEM_DDESHARE), 0};
    bool moveable = (flags & GMEM_MOVEABLE) != 0;
    if (bytes || !moveable) {
        block.data = AllocateData(bytes, (flags & GMEM_ZEROINIT) != 0);
        if (!block.data) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        block.capacity = bytes ? bytes : 1;
    }
    uintptr_t handle = moveable ? TakeMoveableHandle() : reinterpret_cast<uintptr_t>(block.data);
    if (!handle || !RecordBlock(handle, block)) {
        free(block.data);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return reinterpret_cast<HGLOBAL>(handle);
}

WINBASEAPI HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    GlobalBlock *block = FindBlock(mem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (flags & GMEM_MODIFY) return ModifyBlock(mem, *block, flags);
    if (bytes > block->size && kernel::CountGlobalAlloc()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (IsMoveable(*block)) return ReallocateMoveable(mem, *block, bytes, flags);
    return ReallocateFixed(mem, *block, bytes, flags);
}

WINBASEAPI LPVOID GlobalLock(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    GlobalBlock *block = FindBlock(mem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!block->data) {
        SetLastError(ERROR_DISCARDED);
        return nullptr;
    }
    if (IsMoveable(*block)) block->lockCount++;
    return block->data;
}

WINBASEAPI BOOL GlobalUnlock(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    GlobalBlock *block = FindBlock(mem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!IsMoveable(*block)) return TRUE;
    if (block->lockCount == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    block->lockCount--;
    if (block->lockCount > 0) return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
}

WINBASEAPI SIZE_T GlobalSize(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    GlobalBlock *block = FindBlock(mem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return block->size;
}

WINBASEAPI UINT GlobalFlags(HGLOBAL mem) {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    GlobalBlock *block = FindBlock(mem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GMEM_INVALID_HANDLE;
    }
    UINT flags = block->lockCount < GMEM_LOCKCOUNT ? block->lockCount : GMEM_LOCKCOUNT;
    if (IsMoveable(*block) && !block->data) flags |= GMEM_DISCARDED;
    return flags | (block->flags & GMEM_DDESHARE);
}

// Win32 frees a block even while it is locked.
WINBASEAPI HGLOBAL GlobalFree(HGLOBAL mem) {
    if (!mem) return nullptr;
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    GlobalBlock *block = FindBlock(mem);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return mem;
    }
    if (block->data) {
        gHandleOfData.erase(block->data);
        free(block->data);
    }
    gBlocks.erase(reinterpret_cast<uintptr_t>(mem));
    return nullptr;
}

WINBASEAPI HGLOBAL GlobalHandle(LPCVOID pointer) {
    if (!pointer) return nullptr;
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    auto found = gHandleOfData.find(pointer);
    if (found == gHandleOfData.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HGLOBAL>(found->second);
}

WINBASEAPI long WinLayer_LiveGlobalHandles(void) {
    std::lock_guard<std::mutex> lock(gMemoryMutex);
    return static_cast<long>(gBlocks.size());
}
