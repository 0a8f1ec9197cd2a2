#include "queue.h"

#include "afx.h"
#include "heap.h"

#include <new>
#include <stdio.h>
#include <string.h>

// Constructed before and destroyed after every other static object of the
// module, so that shut-down (ExitInstance) still finds the queue whole.
#if defined(__GNUC__) && !defined(_WIN32)
ImageQueue gImageQueue __attribute__((init_priority(101)));
#else
ImageQueue gImageQueue;
#endif

MemBlock::MemBlock(const void *data, TW_UINT16 length) : Length(0), Data(nullptr), Next(nullptr) {
    if (!data || length == 0) {
        AfxMessageBox("Error!\nBad MemBlock Constructor Protocol");
        return;
    }
    Data = HeapAllocate(length);
    if (!Data) {
        AfxMessageBox("Error!\nNear allocate return NULL, leak of Memory?");
        return;
    }
    Length = length;
    memcpy(Data, data, length);
}

MemBlock::~MemBlock() { HeapRelease(Data); }

int MemBlock::Get(void *dest, TW_UINT16 *length) const {
    if (!Data || !dest) {
        AfxMessageBox("Error!\nBad MemBlock::Get Protocol.");
        return 0;
    }
    *length = Length;
    memcpy(dest, Data, Length);
    return 1;
}

ImageQueue::ImageQueue() : BlockCount(0), Head(nullptr), Tail(nullptr) {}

ImageQueue::~ImageQueue() {
    ReportLeftovers();
    Clear();
}

void ImageQueue::ReportLeftovers() const {
    if (BlockCount == 0) return;
    char first[200];
    snprintf(first, sizeof first, "There are still %ld Memory Blocks in ImageQueue, program may have problems!!!\n",
             BlockCount);
    char text[320];
    snprintf(text, sizeof text, "%sSome MB of Global Heap maynot been freed or unlocked!!!", first);
    AfxMessageBox(text);
}

int ImageQueue::PutMB(const void *data, TW_UINT32 length) {
    TW_UINT16 kept = (TW_UINT16)length;  // lengths count by their low 16 bits
    if (!data || kept == 0) {
        AfxMessageBox("Error!\nBad ImageQueue::PutMB Protocol");
        return 0;
    }
    void *place = HeapAllocate(sizeof(MemBlock));
    if (!place) return 0;
    MemBlock *node = new (place) MemBlock(data, kept);
    // A node without its copy would hand its taker nothing: it is not queued.
    if (!node->HasCopy()) {
        node->~MemBlock();
        HeapRelease(place);
        return 0;
    }
    if (BlockCount == 0)
        Head = node;
    else
        Tail->Next = node;
    Tail = node;
    ++BlockCount;
    return 1;
}

static void DestroyNode(MemBlock *node) {
    node->~MemBlock();
    HeapRelease(node);
}

int ImageQueue::GetMB(void *dest, TW_UINT16 *length) {
    if (BlockCount == 0) {
        AfxMessageBox("Error!\nNo MB is available to get.");
        return 0;
    }
    MemBlock *taken = Head;
    int copied = taken->Get(dest, length);
    Head = taken->Next;
    DestroyNode(taken);
    if (--BlockCount == 0) Tail = nullptr;
    return copied;
}

long ImageQueue::Clear() {
    long count = BlockCount;
    while (Head) {
        MemBlock *next = Head->Next;
        DestroyNode(Head);
        Head = next;
    }
    Tail = nullptr;
    BlockCount = 0;
    return count;
}

int PutBlockInfo(const MBInfo &info) { return gImageQueue.PutMB(&info, sizeof info); }

int TakeBlockInfo(MBInfo *info) {
    TW_UINT16 length = 0;
    return gImageQueue.GetMB(info, &length) && length == sizeof *info;
}
