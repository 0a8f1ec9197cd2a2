// Working memory in moveable, zero-filled global blocks, held locked while
// in use.
#ifndef QR_IMAGE_GLOBAL_BLOCK_H
#define QR_IMAGE_GLOBAL_BLOCK_H

#include "win32.h"

// The block's memory, locked; null (and *handle null) when it cannot be had.
void *AllocLockedBlock(HGLOBAL *handle, size_t bytes);
// Unlocks and frees a block from AllocLockedBlock, if any.
void FreeLockedBlock(HGLOBAL *handle);

#endif
