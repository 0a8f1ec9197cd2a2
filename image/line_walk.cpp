// The queued image one source line at a time, for the enlarging transfers.
#include "reception.h"

#include "afx.h"
#include "spool.h"

static MBInfo gLineBlock;
static TW_UINT8 *gLinePtr;
static TW_UINT32 gLineIndex;

// The first line of the next queued block that has lines, or null.
static void *StartNextBlock() {
    FreeBlockMemory(&gLineBlock);
    gLinePtr = nullptr;
    while (gImageQueue.GetCount() > 0) {
        if (!TakeBlockInfo(&gLineBlock)) return nullptr;
        gLinePtr = static_cast<TW_UINT8 *>(gpLockFunc(&gLineBlock));
        gLineIndex = 0;
        if (!gLinePtr || gLineBlock.Rows > 0) return gLinePtr;
        FreeBlockMemory(&gLineBlock);  // a block without rows holds no line
        gLinePtr = nullptr;
    }
    return nullptr;
}

void *GetOneLine(void *previous, TW_UINT32 lineBytes) {
    if (!previous && lineBytes == 0) {
        FreeBlockMemory(&gLineBlock);
        gLinePtr = nullptr;
        DiscardImageData();
        return nullptr;
    }
    if (!previous) return StartNextBlock();
    if (previous != gLinePtr || !gLinePtr) {
        AfxMessageBox("Error!\nGetOneLine Bad Protocol.");
        return nullptr;
    }
    if (++gLineIndex < gLineBlock.Rows) {
        gLinePtr += lineBytes;
        return gLinePtr;
    }
    if (gImageQueue.GetCount() == 0) {
        FreeBlockMemory(&gLineBlock);
        gLinePtr = nullptr;
        AfxMessageBox("Error!\nGet too much lines.");
        return nullptr;
    }
    return StartNextBlock();
}
