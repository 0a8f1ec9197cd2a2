// The spool file: the blocks of a received image beyond a quota of about half
// a megabyte go to one temporary file, and are read back in queue order.
#ifndef QR_IMAGE_SPOOL_H
#define QR_IMAGE_SPOOL_H

#include "queue.h"

typedef int (*BlockWriter)(void *data, MBInfo *info);
typedef int (*BlockReader)(void *dest, MBInfo *info);
typedef void *(*BlockLoader)(MBInfo *info);

extern long gMBInMemory;  // blocks that may still stay in memory; negative once spooling began
extern HFILE gSpoolFile;  // 0 while closed
extern char gSpoolFileName[MAX_PATH];
extern BlockWriter gpWriteFunc;
extern BlockReader gpReadFunc;
extern BlockLoader gpLockFunc;

// Blocks kept in memory for blocks of `bytes` each: half a megabyte's worth.
long MemBlockQuota(TW_UINT32 bytes);

// Writers: keep the block in memory (unlocked) or append it to the spool
// file, freeing it and nulling its handle. 0 on failure: the block is kept.
int WriteBlock(void *data, MBInfo *info);
int Write2File(void *data, MBInfo *info);
// The end of a complete reception: the file is made ready to be read back
// from its start. FALSE (the file gone) when it cannot be.
BOOL EndSpoolWrite();

// Readers: copy the block's bytes into dest and free its memory.
int ReadBlock(void *dest, MBInfo *info);
int ReadNextFromFile(void *dest, MBInfo *info);
// Loaders: the block's bytes, locked, in global memory the caller unlocks and
// frees through info->hMem.
void *LockBlock(MBInfo *info);
void *LoadNextFromFile(MBInfo *info);

// After a transfer consumed the whole queue.
void DeleteSpoolFile();
// Frees every queued block and the spool file.
void DiscardImageData();

// Unlocks and frees a block's memory, if it has any.
void FreeBlockMemory(MBInfo *info);

#endif
