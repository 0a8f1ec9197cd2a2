// The two copying loops of the transfers of a queued image, each under the
// progress dialog and its Cancel button: block by block as received, or row
// by row enlarged. They consume the image whatever way they end.
#ifndef QR_IMAGE_QUEUED_COPY_H
#define QR_IMAGE_QUEUED_COPY_H

#include "queue.h"
#include "scaling.h"

// Takes one block's data; null data means the block could not be read back.
// FALSE stops the copy as failed.
typedef bool (*BlockSink)(void *context, const MBInfo &block, const TW_UINT8 *data);
// Every queued block in order: 1 done, 2 cancelled, -1 failed.
TW_INT16 CopyQueuedBlocks(BlockSink sink, void *context);

// Takes one enlarged row, top row first; a null row means the source line
// could not be had. FALSE stops the copy as failed.
typedef bool (*RowSink)(void *context, const TW_UINT8 *row);
struct ScaledWalk {
    const TW_INT32 *ruler;    // at least gScaledLength entries
    TW_UINT8 *lineBuffer;     // one enlarged row
    LineScaler scale;
    TW_UINT32 sourceBytes;    // bytes of one received row
};
// Every enlarged row of the queued image: 1 done, 2 cancelled, -1 failed.
TW_INT16 CopyScaledRows(const ScaledWalk &walk, RowSink sink, void *context);

#endif
