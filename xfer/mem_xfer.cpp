#include "mem_xfer.h"

#include "image/direct_image.h"
#include "image/image_reader.h"
#include "image/image_size.h"
#include "image/scan_file.h"

// Enlarged rows per strip, fixed when the read begins: never more than the
// image has, so that a strip's count fits 16 bits.
static TW_UINT32 gRowsPerStrip;

static void DescribeStrip(TW_IMAGEMEMXFER *strip, TW_UINT32 bytesPerRow, TW_UINT32 columns, TW_UINT32 rows,
                          TW_UINT32 xOffset, TW_UINT32 yOffset) {
    strip->Compression = TWCP_NONE;
    strip->BytesPerRow = bytesPerRow;
    strip->Columns = columns;
    strip->Rows = rows;
    strip->XOffset = xOffset;
    strip->YOffset = yOffset;
    strip->BytesWritten = rows * bytesPerRow;
}

// A block as received is a strip: its rows, not what the scan module left
// behind them (read past, so that the spool file stays in step).
static void DescribeBlock(TW_IMAGEMEMXFER *strip, const ImageBlock &block) {
    TW_UINT32 rowBytes = RowBytes((TW_UINT32)gImageInfo.ImageWidth, (TW_UINT16)gImageInfo.BitsPerPixel);
    DescribeStrip(strip, rowBytes, (TW_UINT32)gImageInfo.ImageWidth, block.rows, block.xOffset, block.yOffset);
}

static TW_INT16 BlockStrip(TW_IMAGEMEMXFER *strip, TW_UINT8 *buffer, TW_UINT32 capacity) {
    ImageBlock block;
    TW_INT16 status = NextBlock(&block, buffer, capacity);
    if (status == XFER_MORE || status == XFER_DONE) DescribeBlock(strip, block);
    return status;
}

static TW_INT16 EnlargedStrip(TW_IMAGEMEMXFER *strip, TW_UINT8 *buffer) {
    TW_UINT32 first = RowsRead();
    TW_UINT32 left = gImage.ScaledLength - first;
    TW_UINT32 rows = gRowsPerStrip < left ? gRowsPerStrip : left;
    TW_INT16 status = NextRows(buffer, (long)ReadRowBytes(), rows);
    if (status == XFER_MORE || status == XFER_DONE)
        DescribeStrip(strip, ReadRowBytes(), gImage.ScaledWidth, rows, 0, first);
    return status;
}

// The first strip of a queued image begins its read.
static TW_INT16 BeginQueuedRead(bool enlarged) {
    TW_INT16 status = BeginRead(enlarged ? ReadForm::Rows : ReadForm::Blocks);
    TW_UINT32 rowBytes = ReadRowBytes();
    TW_UINT32 rowsPerStrip = rowBytes ? gPrefBufSize / rowBytes : 0;
    // A strip that holds no row could never end: such an image fails at its
    // first strip.
    gRowsPerStrip = rowsPerStrip < gImage.ScaledLength ? rowsPerStrip : gImage.ScaledLength;
    return status;
}

// The bytes a strip of the queued image needs in the application's buffer.
static TW_UINT32 QueuedStripBytes(bool enlarged) { return enlarged ? gRowsPerStrip * ReadRowBytes() : gMaxBufSize; }

static TW_INT16 QueuedStrip(TW_IMAGEMEMXFER *strip, TW_UINT8 *buffer, TW_UINT32 capacity) {
    if (gImage.outcome == ImageOutcome::ReceptionFailed) {
        ImageBlock first{};
        TW_INT16 status = StoppedReception(true, &first, buffer, capacity);
        if (first.bytes) DescribeBlock(strip, first);
        return status;
    }
    bool enlarged = gImage.where == ImageWhere::QueueEnlarged;
    if (!ReadIsOpen()) {
        TW_INT16 status = gImage.outcome == ImageOutcome::Received ? BeginQueuedRead(enlarged) : XFER_FAILED;
        if (status != XFER_MORE) return status;
    }
    // A buffer too small for the strip is refused before anything is taken.
    if (capacity < QueuedStripBytes(enlarged)) return XFER_BUFFER_TOO_SMALL;
    TW_INT16 status = enlarged ? EnlargedStrip(strip, buffer) : BlockStrip(strip, buffer, capacity);
    if (status != XFER_MORE) EndRead(status);
    return status;
}

TW_INT16 MemXferStrip(TW_IMAGEMEMXFER *strip, TW_UINT8 *buffer, TW_UINT32 capacity) {
    TW_INT16 status = XFER_FAILED;
    if (gImage.fromScanFile)
        status = gImage.ScanFileStatus == XFER_MORE ? ReadFileStrip(strip, buffer, capacity) : gImage.ScanFileStatus;
    else if (gImage.where == ImageWhere::ScanModule)
        status = DirectStrip(strip, buffer, capacity);
    else if (IsQueued(gImage))
        status = QueuedStrip(strip, buffer, capacity);
    // The end of the image ends the file mode: the next image is asked anew.
    if (status == XFER_DONE || status == XFER_CANCELLED) gImage.fromScanFile = false;
    return status;
}
