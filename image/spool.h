// The spool file: the blocks of a received image beyond a quota of about half
// a megabyte go to one temporary file, and are read back in queue order.
#ifndef QR_IMAGE_SPOOL_H
#define QR_IMAGE_SPOOL_H

#include "queue.h"

extern long gMBInMemory;  // blocks that may still stay in memory; negative once spooling began

// Blocks kept in memory for blocks of `bytes` each: half a megabyte's worth.
long MemBlockQuota(TW_UINT32 bytes);

// Keeps one received block: in memory (unlocked) while the quota lasts, else
// appended to the spool file, its memory freed and its handle nulled. 0 on
// failure: the block is kept as it was.
int WriteBlock(void *data, MBInfo *info);
// The end of a complete reception: the file is made ready to be read back
// from its start. FALSE (the file gone) when it cannot be.
BOOL EndSpoolWrite();

// The block's bytes into dest, its memory freed; 0 when they cannot be had.
int ReadBlock(void *dest, MBInfo *info);
// The block's bytes, locked, in global memory the caller unlocks and frees
// through info->hMem (read from the spool file into a new block when it lies
// there); null when they cannot be had.
void *LockBlock(MBInfo *info);

// Frees every queued block and the spool file.
void DiscardImageData();

// Unlocks and frees a block's memory, if it has any.
void FreeBlockMemory(MBInfo *info);

#endif
