// DG_IMAGE / DAT_IMAGEMEMXFER: one strip per call, from the scan module's
// file, from the queue (a block per strip, or a run of enlarged rows), or
// straight from the scan module.
#include "mem_xfer.h"

#include "afx.h"
#include "entry/callbacks.h"
#include "entry/dispatch.h"
#include "file_setup.h"
#include "image/global_block.h"
#include "image/reception.h"
#include "image/scaling.h"
#include "image/spool.h"
#include "startup/boundary_memory.h"
#include "startup/scan_module.h"
#include "ui/progress_dialog.h"

#include <new>
#include <string.h>

void *gXferBuffer;
BOOL gScanFileMode;
TW_INT16 gScanFileStatus;
TW_UINT32 gXferProgress;
ProgressDialog *gpProgressDlg;

static TW_UINT16 gRulerLength;
static TW_UINT32 gScaledBytesPerRow, gSourceBytesPerRow;  // rows of 24 bits pass 64 KiB
static TW_UINT16 gRowsPerStrip;
static HGLOBAL ghRuler, ghLineBuf;
static TW_INT32 *gpRuler, *gpRulerPos;
static TW_UINT8 *gpLineBuf;
static TW_UINT16 gRowsSent;
static void *gpSourceLine;

static const TW_UINT32 kPointerFlags = TWMF_APPOWNS | TWMF_POINTER;
static const TW_UINT32 kHandleFlags = TWMF_APPOWNS | TWMF_HANDLE;

static void FreeScalingMemory() {
    FreeLockedBlock(&ghRuler);
    FreeLockedBlock(&ghLineBuf);
    gpRuler = gpRulerPos = nullptr;
    gpLineBuf = nullptr;
}

// Enlarged rows per strip and the working memory of an enlarging transfer.
static void PrepareScaledXfer() {
    int bits = gImageInfo.BitsPerPixel;
    gScaledBytesPerRow = RowBytes(gScaledWidth, (TW_UINT32)bits);
    gSourceBytesPerRow = RowBytes(gSourceWidth, (TW_UINT32)bits);
    // Never more rows than the image has, so that the count fits 16 bits.
    TW_UINT32 rowsPerStrip = gScaledBytesPerRow ? gPrefBufSize / gScaledBytesPerRow : 0;
    gRowsPerStrip = (TW_UINT16)(rowsPerStrip < gScaledLength ? rowsPerStrip : gScaledLength);
    gRulerLength = (TW_UINT32)ScaleRulerEntries();
    FreeScalingMemory();
    gpRuler = static_cast<TW_INT32 *>(AllocLockedBlock(&ghRuler, (size_t)gRulerLength * sizeof(TW_INT32)));
    gpLineBuf = static_cast<TW_UINT8 *>(AllocLockedBlock(&ghLineBuf, gScaledBytesPerRow));
    gpRulerPos = gpRuler;
    if (gpRuler) EvaluateScaleRuler(gpRuler, gScaleNum, gScaleDen, gRulerLength);
    // A strip that holds no row could never end: such an image is refused
    // when its first strip is asked for.
    gBlocksAvailable = gRowsPerStrip ? (TW_UINT16)((gScaledLength + gRowsPerStrip - 1) / gRowsPerStrip) : 0;
    gpSourceLine = nullptr;
    gRowsSent = 0;
    gpLockFunc = LockBlock;
}

void PrepareQueuedXfer() {
    gXferProgress = 0;
    gBlocksAvailable = (TW_UINT16)gImageQueue.GetCount();
    if (gScaleMode)
        PrepareScaledXfer();
    else
        gpReadFunc = ReadBlock;
    delete gpProgressDlg;
    gpProgressDlg = new (std::nothrow) ProgressDialog(&gXferProgress);
    if (gpProgressDlg && !ProgressDialog::IsActive()) {
        gpProgressDlg->Open(PROGRESS_TITLE);
        gpProgressDlg->Begin(gXferProgress, gBlocksAvailable);
    }
    gImageReceived = FALSE;
}

static void DescribeStrip(TW_IMAGEMEMXFER *record, TW_UINT32 bytesPerRow, TW_UINT32 columns, TW_UINT32 rows,
                          TW_UINT32 xOffset, TW_UINT32 yOffset, TW_UINT32 bytesWritten) {
    record->Compression = TWCP_NONE;
    record->BytesPerRow = bytesPerRow;
    record->Columns = columns;
    record->Rows = rows;
    record->XOffset = xOffset;
    record->YOffset = yOffset;
    record->BytesWritten = bytesWritten;
}

TW_INT16 QueueStrip(TW_IMAGEMEMXFER *record, TW_UINT8 *dest, TW_UINT32 capacity) {
    if (gImageQueue.GetCount() == 0) return XFER_FAILED;
    MBInfo info;
    if (!TakeBlockInfo(&info)) return XFER_FAILED;
    // Blocks received larger than the sizes the scan module reports now
    // must not run past the application's buffer.
    int read = info.BytesWritten <= capacity ? gpReadFunc(dest, &info) : 0;
    FreeBlockMemory(&info);
    if (!read) return XFER_FAILED;
    DescribeStrip(record, RowBytes((TW_UINT32)gImageInfo.ImageWidth, (TW_UINT32)gImageInfo.BitsPerPixel),
                  (TW_UINT32)gImageInfo.ImageWidth, info.Rows, info.XOffset, info.YOffset, info.BytesWritten);
    return gImageQueue.GetCount() == 0 ? XFER_DONE : XFER_MORE;
}

TW_INT16 ScaledStrip(TW_IMAGEMEMXFER *record, TW_UINT8 *dest) {
    LineScaler scale = ScalerForDepth(gImageInfo.BitsPerPixel, false, gScaleNum, gScaleDen);
    if (gBlocksAvailable == 0 || !gpRuler || !gpLineBuf || !scale) {
        DiscardImageData();
        return XFER_FAILED;
    }
    if (--gBlocksAvailable == 0) {
        TW_UINT16 rows = (TW_UINT16)(gScaledLength % gRowsPerStrip);
        gRowsPerStrip = rows ? rows : gRowsPerStrip;
    }
    for (TW_UINT16 row = 0; row < gRowsPerStrip; ++row, ++gpRulerPos) {
        if (*gpRulerPos) {
            gpSourceLine = GetOneLine(gpSourceLine, gSourceBytesPerRow);
            if (!gpSourceLine) return XFER_FAILED;
            scale(gpLineBuf, static_cast<const TW_UINT8 *>(gpSourceLine), gpRuler, gScaledWidth);
        }
        memcpy(dest, gpLineBuf, gScaledBytesPerRow);  // a repeated row copies the buffer again
        dest += gScaledBytesPerRow;
    }
    DescribeStrip(record, gScaledBytesPerRow, gScaledWidth, gRowsPerStrip, 0, gRowsSent,
                  (TW_UINT32)gScaledBytesPerRow * gRowsPerStrip);
    gRowsSent = (TW_UINT16)(gRowsSent + gRowsPerStrip);
    return gBlocksAvailable == 0 ? XFER_DONE : XFER_MORE;
}

void EndQueuedXfer(TW_UINT16 rc) {
    if (gpProgressDlg) {
        gpProgressDlg->End();
        delete gpProgressDlg;
        gpProgressDlg = nullptr;
    }
    if (gScaleMode) {
        GetOneLine(nullptr, 0);
        FreeScalingMemory();
        MoveRequestedResolution();
    }
    // A stopped or failed image is given up whole: a later strip would come
    // from the wrong place in the spool file.
    if (rc == TWRC_XFERDONE)
        DeleteSpoolFile();
    else
        DiscardImageData();
}

void AbandonMemoryXfer() {
    if (gpProgressDlg) {
        delete gpProgressDlg;
        gpProgressDlg = nullptr;
    }
    GetOneLine(nullptr, 0);  // the block an enlarging transfer was reading
    FreeScalingMemory();
    CloseScanFile(TRUE);
    gScanFileMode = FALSE;
}

// The bytes a queued strip needs in the application's buffer.
static TW_UINT32 QueuedStripBytes() {
    if (gScaleMode) return (TW_UINT32)gRowsPerStrip * gScaledBytesPerRow;
    return gMaxBufSize;
}

// Whether the application's buffer holds the next strip of the queued image.
static bool QueuedStripFits(TW_UINT32 capacity) {
    if (gImageReceived) PrepareQueuedXfer();
    return capacity >= QueuedStripBytes();
}

// A strip of the queued image; 0 more, 1 last, 2 cancelled, -1 failed.
static TW_INT16 QueuedStrip(TW_UINT32 capacity) {
    TW_UINT8 *dest = static_cast<TW_UINT8 *>(gXferBuffer);
    TW_INT16 status = gScaleMode ? ScaledStrip(&gMemXfer, dest) : QueueStrip(&gMemXfer, dest, capacity);
    ++gXferProgress;
    PumpMessage();
    if (gXferProgress == PROGRESS_CANCELLED) {
        DiscardImageData();
        status = XFER_CANCELLED;
    }
    return status;
}

// The scan module fills the application's buffer itself.
static TW_INT16 DirectStrip(TW_UINT32 capacity) {
    gMemXfer.Compression = TWCP_NONE;
    gMemXfer.BytesPerRow = RowBytes((TW_UINT32)gImageInfo.ImageWidth, (TW_UINT32)gImageInfo.BitsPerPixel);
    gMemXfer.Columns = (TW_UINT32)gImageInfo.ImageWidth;
    gMemXfer.Memory.Flags = kPointerFlags;
    // Never more than the buffer really holds.
    TW_UINT32 length = gPrefBufSize && gPrefBufSize < capacity ? gPrefBufSize : capacity;
    gMemXfer.Memory.Length = length;
    gMemXfer.Memory.TheMem = gXferBuffer;
    TW_INT16 status = ScanModuleOps.GetSMImage_Buf(&gMemXfer, gXferBuffer);
    if (status != XFER_MORE && status != XFER_DONE) return status;
    // The application reads what the strip says it holds: a strip that
    // claims more than the buffer, or more rows than its bytes, is refused.
    uint64_t rowsBytes = (uint64_t)gMemXfer.Rows * gMemXfer.BytesPerRow;
    if (gMemXfer.BytesWritten > length || rowsBytes > gMemXfer.BytesWritten) {
        gMemXfer.Rows = gMemXfer.BytesWritten = 0;
        return XFER_FAILED;
    }
    return status;
}

static TW_UINT16 ReturnCodeOfStrip(TW_INT16 status) {
    if (status == XFER_MORE) return TWRC_SUCCESS;
    if (status == XFER_DONE) return TWRC_XFERDONE;
    if (status == XFER_CANCELLED) return TWRC_CANCEL;
    return TWRC_FAILURE;
}

static TW_UINT16 ProduceStrip(TW_UINT32 capacity) {
    if (gScanFileMode && gScanFileStatus == XFER_MORE) return ReadFileStrip(capacity);
    if (gScanFileMode) return ReturnCodeOfStrip(gScanFileStatus);
    if (gBufferedImage && gReceiveFailed) {
        // What arrived before the reception stopped, then the end.
        gpReadFunc = ReadBlock;
        QueueStrip(&gMemXfer, static_cast<TW_UINT8 *>(gXferBuffer), capacity);
        gXferStatus = XFER_CANCELLED;
        DiscardImageData();
        return TWRC_CANCEL;
    }
    // A buffer too small for the strip is refused before anything is taken.
    if (gBufferedImage && !QueuedStripFits(capacity)) return FailWith(TWCC_BADVALUE);
    gXferStatus = gBufferedImage ? QueuedStrip(capacity) : DirectStrip(capacity);
    TW_UINT16 rc = ReturnCodeOfStrip(gXferStatus);
    if (rc != TWRC_SUCCESS && gBufferedImage) EndQueuedXfer(rc);
    return rc;
}

// The application's buffer for this strip, and how many bytes it holds.
static bool OpenBuffer(const TW_MEMORY &memory, TW_UINT32 *capacity) {
    *capacity = memory.Length;
    if (memory.Flags == kPointerFlags) {
        gXferBuffer = memory.TheMem;
    } else if (memory.Flags == kHandleFlags) {
        size_t size = 0;
        gXferBuffer = LockBoundary(memory.TheMem, &size);
        if (size < *capacity) *capacity = (TW_UINT32)size;
    } else {
        gXferBuffer = nullptr;
    }
    return gXferBuffer != nullptr;
}

TW_UINT16 ImageMemXferHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (!StateIn(DS_STATE_XFERREADY, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    pTW_IMAGEMEMXFER app = static_cast<pTW_IMAGEMEMXFER>(args->pData);
    if (!app) return FailWith(TWCC_BADVALUE);
    gMemXfer = *app;
    TW_UINT32 capacity = 0;
    if (!OpenBuffer(app->Memory, &capacity)) {
        // Only the two forms an application owns are written to.
        bool handle = app->Memory.Flags == kHandleFlags;
        return FailWith(handle ? TWCC_SEQERROR : TWCC_BADVALUE);
    }
    TW_UINT16 rc = ProduceStrip(capacity);

    // The application's TW_MEMORY goes back exactly as it came.
    gMemXfer.Memory = app->Memory;
    *app = gMemXfer;
    if (app->Memory.Flags == kHandleFlags) UnlockBoundary(app->Memory.TheMem);

    if (rc == TWRC_XFERDONE || rc == TWRC_CANCEL) {
        gXferReady = FALSE;
        gScanFileMode = FALSE;
        gDSState = DS_STATE_XFERRING;
    } else if (rc == TWRC_FAILURE && gConditionCode == TWCC_SUCCESS) {
        gConditionCode = TWCC_OPERATIONERROR;
    }
    return rc;
}
