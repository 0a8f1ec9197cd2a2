// The image queue: one descriptor per received block, first in, first out.
// The pixel data is not here: it lies in the global block a descriptor names,
// or in the spool file.
#ifndef QR_IMAGE_QUEUE_H
#define QR_IMAGE_QUEUE_H

#include "win32.h"
#include "twain.h"

// The descriptor of one received block.
struct MBInfo {
    HGLOBAL hMem;  // the block's data, unlocked; null once it lies in the spool file
    TW_UINT32 BytesWritten;
    TW_UINT32 XOffset;
    TW_UINT32 YOffset;
    TW_UINT32 Rows;
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(MBInfo) == 20, "MBInfo is a 20-byte record");
#endif

// One node of the queue, owning a heap copy of the bytes it was given.
class MemBlock {
public:
    MemBlock(const void *data, TW_UINT16 length);
    ~MemBlock();
    MemBlock(const MemBlock &) = delete;
    MemBlock &operator=(const MemBlock &) = delete;

    int Get(void *dest, TW_UINT16 *length) const;
    bool HasCopy() const { return Data != nullptr; }

    TW_UINT16 Length;
    void *Data;
    MemBlock *Next;
};

class ImageQueue {
public:
    ImageQueue();
    ~ImageQueue();
    ImageQueue(const ImageQueue &) = delete;
    ImageQueue &operator=(const ImageQueue &) = delete;

    // Appends a copy of the bytes; 0 when nothing was appended.
    int PutMB(const void *data, TW_UINT32 length);
    // Takes the oldest node's bytes into dest; 0 when there was none.
    int GetMB(void *dest, TW_UINT16 *length);
    long GetCount() const { return BlockCount; }
    // Frees every node (not the blocks they name); the count before.
    long Clear();
    // Tells the user of nodes never taken, if any.
    void ReportLeftovers() const;

private:
    long BlockCount;
    MemBlock *Head;
    MemBlock *Tail;
};

extern ImageQueue gImageQueue;

// Convenience over the queue for the one record it carries.
int PutBlockInfo(const MBInfo &info);
int TakeBlockInfo(MBInfo *info);

#endif
