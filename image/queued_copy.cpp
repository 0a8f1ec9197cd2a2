#include "queued_copy.h"

#include "entry/callbacks.h"
#include "reception.h"
#include "spool.h"
#include "ui/progress_dialog.h"

TW_INT16 CopyQueuedBlocks(BlockSink sink, void *context) {
    ProgressCount progress = {0, FALSE};
    ProgressDialog dialog(&progress);
    StartProgress(dialog, (TW_UINT32)gImageQueue.GetCount());
    gpLockFunc = LockBlock;
    while (gImageQueue.GetCount() > 0) {
        MBInfo info;
        if (!TakeBlockInfo(&info)) {
            DiscardImageData();
            return XFER_FAILED;
        }
        bool taken = sink(context, info, static_cast<const TW_UINT8 *>(gpLockFunc(&info)));
        FreeBlockMemory(&info);
        if (!taken) {
            DiscardImageData();
            return XFER_FAILED;
        }
        ++progress.steps;
        PumpMessage();  // the dialog's timer and Cancel are served here
        if (progress.cancelled) {
            DiscardImageData();
            return XFER_CANCELLED;
        }
    }
    dialog.End();
    DeleteSpoolFile();
    return XFER_DONE;
}

TW_INT16 CopyScaledRows(const ScaledWalk &walk, RowSink sink, void *context) {
    ProgressCount progress = {0, FALSE};
    ProgressDialog dialog(&progress);
    StartProgress(dialog, gScaledLength);
    gpLockFunc = LockBlock;
    void *source = nullptr;
    TW_INT16 status = XFER_DONE;
    for (TW_UINT32 k = 0; k < gScaledLength; ++k) {
        // A row whose ruler entry is 0 repeats the one before: the source is
        // read once, and only new lines pump a message.
        if (walk.ruler[k]) {
            source = GetOneLine(source, walk.sourceBytes);
            if (!source) {
                sink(context, nullptr);
                status = XFER_FAILED;
                break;
            }
            walk.scale(walk.lineBuffer, static_cast<const TW_UINT8 *>(source), walk.ruler, gScaledWidth);
            PumpMessage();
            if (progress.cancelled) {
                status = XFER_CANCELLED;
                break;
            }
        }
        if (!sink(context, walk.lineBuffer)) {
            status = XFER_FAILED;
            break;
        }
        ++progress.steps;
    }
    if (status == XFER_DONE) dialog.End();
    GetOneLine(nullptr, 0);  // frees the rest of the image and the spool file
    return status;
}
