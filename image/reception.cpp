#include "reception.h"

#include "afx.h"
#include "image_size.h"
#include "scaling.h"
#include "spool.h"
#include "startup/scan_module.h"

// The request record of reception, handed to the scan module for each block.
static TW_IMAGEMEMXFER gMemXfer;

// Resolutions up to this are never an enlargement request.
static const TW_UINT16 kHighestUnscaledRequest = 300;
static const TW_UINT32 kMaxDimension = 0xFFFF;  // enlarged lines are counted in 16 bits
// The header and the largest palette in front of a bitmap's rows.
static const TW_UINT32 kBitmapFront = 40 + 256 * 4;

static void FillRequest(TW_UINT32 blockSize, TW_UINT32 rowBytes, void *buffer) {
    gMemXfer.Compression = TWCP_NONE;
    gMemXfer.BytesPerRow = rowBytes;
    gMemXfer.Columns = (TW_UINT32)gImageInfo.ImageWidth;
    gMemXfer.Rows = gMemXfer.XOffset = gMemXfer.YOffset = gMemXfer.BytesWritten = 0;
    gMemXfer.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    gMemXfer.Memory.Length = blockSize;
    gMemXfer.Memory.TheMem = buffer;
}

// What the scan module says it wrote must fit the block, and its rows must
// lie within what it wrote: later copies trust both. Rows are measured as
// the transfers will copy them, whatever the module left in BytesPerRow.
static bool BlockIsConsistent(TW_UINT32 blockSize, TW_UINT32 rowBytes, bool first) {
    if (gMemXfer.BytesWritten > blockSize) return false;
    if (first && gMemXfer.BytesWritten == 0) return false;
    uint64_t rowsBytes = (uint64_t)gMemXfer.Rows * rowBytes;
    return rowsBytes <= gMemXfer.BytesWritten;
}

// Whether an image of `width` x `lines` pixels can be handed over whole: as
// one bitmap (its padded rows behind header and palette), the largest of the
// forms the source makes from a queued image.
static bool BitmapFits(TW_UINT32 width, uint64_t lines) {
    TW_UINT32 padded = 0, rows = 0, total = 0;
    return CheckedPaddedRowBytes(width, (TW_UINT16)gImageInfo.BitsPerPixel, &padded) &&
           CheckedProduct(lines, padded, &rows) && CheckedSum(rows, kBitmapFront, &total);
}

static bool LinesFit(uint64_t lines) { return BitmapFits((TW_UINT32)gImageInfo.ImageWidth, lines); }

// Keeps one received block: in memory, shrunk to its real size, or in the
// spool file. FALSE when it could not be kept.
static BOOL KeepBlock(MBInfo &info, void *data) {
    if (!WriteBlock(data, &info)) {
        AfxMessageBox("Error!\n gpWriteFunc Error");
        FreeBlockMemory(&info);
        return FALSE;
    }
    if (info.hMem && info.BytesWritten > 0) {
        HGLOBAL shrunk = GlobalReAlloc(info.hMem, info.BytesWritten, GMEM_MOVEABLE);
        if (shrunk) info.hMem = shrunk;
    }
    if (!PutBlockInfo(info)) {
        FreeBlockMemory(&info);
        return FALSE;
    }
    return TRUE;
}

// What arrived before the stop is still handed over (its first block): a
// spool file is rewound for it as after a whole image.
static TW_INT16 ReceptionFailed(TW_INT16 status) {
    EndSpoolWrite();
    return status == XFER_CANCELLED ? XFER_CANCELLED : XFER_FAILED;
}

TW_INT16 ReceiveBufferedImage() {
    // A new image starts from an empty queue, whatever an earlier one left.
    DiscardImageData();
    TW_UINT32 kilobytes = 0;
    ScanModuleOps.CkUseBufXfer(&kilobytes);
    TW_UINT32 blockSize = (kilobytes & 0xFFFF) * 1024;
    gMinBufSize = gMaxBufSize = gPrefBufSize = blockSize;
    // An image whose row cannot be sized is refused before any block is asked for.
    TW_UINT32 rowBytes = 0;
    if (blockSize == 0 || !ImageRowBytes(gImageInfo, &rowBytes) || !LinesFit(0)) return ReceptionFailed(XFER_FAILED);

    TW_UINT32 lines = 0;
    for (bool first = true;; first = false) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
        void *data = block ? GlobalLock(block) : nullptr;
        if (!data) {
            if (block) GlobalFree(block);
            return ReceptionFailed(XFER_FAILED);
        }
        FillRequest(blockSize, rowBytes, data);
        TW_INT16 status = ScanModuleOps.GetSMImage_Buf(&gMemXfer, data);
        MBInfo info = {block, gMemXfer.BytesWritten, gMemXfer.XOffset, gMemXfer.YOffset, gMemXfer.Rows};
        bool accepted = (status == XFER_MORE || status == XFER_DONE) && BlockIsConsistent(blockSize, rowBytes, first) &&
                        LinesFit(lines + (uint64_t)info.Rows);
        if (!accepted) {
            FreeBlockMemory(&info);
            return ReceptionFailed(status);
        }
        if (first) gMBInMemory = MemBlockQuota(info.BytesWritten);
        if (!KeepBlock(info, data)) return ReceptionFailed(XFER_FAILED);
        lines += info.Rows;
        if (status == XFER_DONE) break;
    }
    gImageInfo.ImageLength = (TW_INT32)lines;
    if (!EndSpoolWrite()) return ReceptionFailed(XFER_FAILED);
    return XFER_DONE;
}

// The image was scanned at XResolution.Whole dpi for a request of
// `requested` dpi: its enlarged size is what the application is told.
static BOOL SetUpEnlargement(TW_INT32 requested) {
    TW_INT32 scanned = gImageInfo.XResolution.Whole;
    if (scanned <= 0) return FALSE;
    TW_INT32 num = requested, den = scanned;
    // A request below the scan cannot be met by replication: the image is
    // delivered as scanned, at its own resolution.
    if (!MinDivable(num, den)) return TRUE;
    TW_UINT32 width = ScaledSize(num, den, (TW_UINT32)gImageInfo.ImageWidth);
    TW_UINT32 length = ScaledSize(num, den, (TW_UINT32)gImageInfo.ImageLength);
    if ((TW_UINT32)gImageInfo.ImageWidth > kMaxDimension || (TW_UINT32)gImageInfo.ImageLength > kMaxDimension ||
        width > kMaxDimension || length > kMaxDimension)
        return FALSE;
    if (!BitmapFits(width, length)) return FALSE;
    gImage.where = ImageWhere::QueueEnlarged;
    gImage.ScaleNum = num;
    gImage.ScaleDen = den;
    gImage.SourceWidth = (TW_UINT16)gImageInfo.ImageWidth;
    gImage.ScaledWidth = (TW_UINT16)width;
    gImage.ScaledLength = (TW_UINT16)length;
    gImageInfo.XResolution.Whole = (TW_INT16)requested;
    // The lines are replicated by the same ratio, so the vertical resolution
    // grows with them.
    if (gImageInfo.YResolution.Whole > 0)
        gImageInfo.YResolution.Whole = (TW_INT16)ScaledSize(num, den, (TW_UINT32)gImageInfo.YResolution.Whole);
    gImageInfo.ImageWidth = width;
    gImageInfo.ImageLength = length;
    return TRUE;
}

BOOL ReceiveAnnouncedImage() {
    gImage.outcome = ImageOutcome::Received;
    if (gImageInfo.ImageLength != -1) {
        gImage.where = ImageWhere::ScanModule;
        return TRUE;
    }
    gImage.where = ImageWhere::Queue;
    // The scan module passes the resolution asked for in XResolution.Frac;
    // it leaves the description here, whatever becomes of the image.
    TW_INT32 requested = gImageInfo.XResolution.Frac;
    gImageInfo.XResolution.Frac = 0;
    bool received =
        ReceiveBufferedImage() == XFER_DONE && (requested <= kHighestUnscaledRequest || SetUpEnlargement(requested));
    if (!received) gImage.outcome = ImageOutcome::ReceptionFailed;
    return received;
}
