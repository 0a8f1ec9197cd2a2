#include "tiff_writer.h"

#include "afx.h"
#include "image/global_block.h"
#include "image/queued_copy.h"
#include "image/reception.h"
#include "image/scaling.h"
#include "image/spool.h"
#include "little_endian.h"

#include <string.h>

namespace {

enum : TW_UINT16 { TIFF_SHORT = 3, TIFF_LONG = 4, TIFF_RATIONAL = 5 };

// Where each part of the fixed layout lies.
enum : TW_UINT32 {
    IFD_OFFSET = 8,
    ENTRY_COUNT = 12,
    XRES_OFFSET = 158,
    YRES_OFFSET = 166,
    BITS_OFFSET = 174,
    DATA_OFFSET = 180,
};
// What a file says when the image description gives no resolution: the
// value every file carried before files carried the scan's own.
const TW_UINT32 kUnknownPixelsPerInch = 114;

TW_UINT32 PixelsPerInch(TW_FIX32 resolution) {
    return resolution.Whole > 0 ? (TW_UINT32)resolution.Whole : kUnknownPixelsPerInch;
}

struct TiffHeader {
    TW_UINT8 bytes[DATA_OFFSET];
};

void PutEntry(TW_UINT8 *&at, TW_UINT16 tag, TW_UINT16 type, TW_UINT32 count, TW_UINT32 value) {
    PutLE16(at, tag);
    PutLE16(at + 2, type);
    PutLE32(at + 4, count);
    if (type == TIFF_SHORT) {
        PutLE16(at + 8, (TW_UINT16)value);
        PutLE16(at + 10, 0);
    } else {
        PutLE32(at + 8, value);
    }
    at += 12;
}

// The whole front of the file for a W x L image of B bits per pixel, whose
// one strip holds `stripBytes`.
void BuildTiffHeader(TiffHeader &h, TW_UINT32 width, TW_UINT32 length, TW_UINT16 bits, TW_UINT32 stripBytes) {
    memset(h.bytes, 0, sizeof h.bytes);
    bool rgb = bits == 24;
    h.bytes[0] = h.bytes[1] = 'I';
    PutLE16(h.bytes + 2, 42);
    PutLE32(h.bytes + 4, IFD_OFFSET);
    PutLE16(h.bytes + 8, ENTRY_COUNT);
    TW_UINT8 *entry = h.bytes + 10;
    PutEntry(entry, 256, TIFF_LONG, 1, width);
    PutEntry(entry, 257, TIFF_LONG, 1, length);
    PutEntry(entry, 258, TIFF_SHORT, rgb ? 3 : 1, rgb ? (TW_UINT32)BITS_OFFSET : bits);
    PutEntry(entry, 259, TIFF_SHORT, 1, 1);                      // no compression
    PutEntry(entry, 262, TIFF_SHORT, 1, rgb ? 2 : 1);            // RGB, or black is zero
    PutEntry(entry, 273, TIFF_LONG, 1, DATA_OFFSET);
    PutEntry(entry, 277, TIFF_SHORT, 1, rgb ? 3 : 1);
    PutEntry(entry, 278, TIFF_LONG, 1, length);
    PutEntry(entry, 279, TIFF_LONG, 1, stripBytes);
    PutEntry(entry, 282, TIFF_RATIONAL, 1, XRES_OFFSET);
    PutEntry(entry, 283, TIFF_RATIONAL, 1, YRES_OFFSET);
    PutEntry(entry, 296, TIFF_SHORT, 1, 2);  // inch
    // offset 154: no further directory
    // The image's own resolution, as the application was told it.
    PutLE32(h.bytes + XRES_OFFSET, PixelsPerInch(gImageInfo.XResolution));
    PutLE32(h.bytes + XRES_OFFSET + 4, 1);
    PutLE32(h.bytes + YRES_OFFSET, PixelsPerInch(gImageInfo.YResolution));
    PutLE32(h.bytes + YRES_OFFSET + 4, 1);
    if (rgb)
        for (int i = 0; i < 3; ++i) PutLE16(h.bytes + BITS_OFFSET + 2 * i, 8);
}

bool WriteAll(HFILE file, const void *data, TW_UINT32 bytes) {
    return _lwrite(file, static_cast<const char *>(data), bytes) == bytes;
}

// The header in its five pieces, each with its own complaint when short.
bool WriteTiffHeader(HFILE file, TW_UINT32 width, TW_UINT32 length, TW_UINT16 bits) {
    struct Piece {
        TW_UINT32 offset, bytes;
        const char *message;
    } static const pieces[] = {
        {0, 8, "Error!\nPut TIFF IFH to file failured."},
        {8, 150, "Error!\nPut TIFF IFD to file failured."},
        {XRES_OFFSET, 8, "Error!\nPut TIFF XResolution to file failured."},
        {YRES_OFFSET, 8, "Error!\nPut TIFF YResolution to file failured."},
        {BITS_OFFSET, 6, "Error!\nPut TIFF BITSofSAMPLES to file failured."},
    };
    // The strip and the file behind the header must fit their 32-bit fields.
    TW_UINT32 rowBytes = RowBytes(width, bits), stripBytes = 0, fileBytes = 0;
    if (rowBytes == 0 || !CheckedProduct(rowBytes, length, &stripBytes) ||
        !CheckedSum(stripBytes, DATA_OFFSET, &fileBytes))
        return false;
    TiffHeader header;
    BuildTiffHeader(header, width, length, bits, stripBytes);
    for (const Piece &piece : pieces) {
        if (!WriteAll(file, header.bytes + piece.offset, piece.bytes)) {
            AfxMessageBox(piece.message);
            return false;
        }
    }
    return true;
}

bool IsTiffDepth(int bits) { return bits == 1 || bits == 8 || bits == 24; }

const char kBitmapFailure[] = "Error!\nPut TIFF BITMAP to file failured.";

struct BlockOutput {
    HFILE file;
    TW_UINT32 rowBytes;
};

// A block's rows go out; whatever the scan module left behind them in the
// block is not part of the image. A block that cannot be read back counts
// as a short write.
bool WriteBlockData(void *context, const MBInfo &block, const TW_UINT8 *data) {
    const BlockOutput &output = *static_cast<const BlockOutput *>(context);
    if (data && WriteAll(output.file, data, block.Rows * output.rowBytes)) return true;
    AfxMessageBox(kBitmapFailure);
    return false;
}

struct RowOutput {
    HFILE file;
    TW_UINT32 rowBytes;
};

// A repeated row writes the line buffer again.
bool WriteRow(void *context, const TW_UINT8 *row) {
    const RowOutput &output = *static_cast<const RowOutput *>(context);
    if (row && WriteAll(output.file, row, output.rowBytes)) return true;
    AfxMessageBox(kBitmapFailure);
    return false;
}

}  // namespace

TW_INT16 WriteTiffFromQueue(HFILE file) {
    if (gReceiveFailed) {
        DiscardImageData();
        return XFER_CANCELLED;
    }
    // An empty queue means a failed transfer already consumed the image.
    if (!IsTiffDepth(gImageInfo.BitsPerPixel) || gImageQueue.GetCount() == 0) {
        DiscardImageData();
        return XFER_FAILED;
    }
    if (!WriteTiffHeader(file, (TW_UINT32)gImageInfo.ImageWidth, (TW_UINT32)gImageInfo.ImageLength,
                         (TW_UINT16)gImageInfo.BitsPerPixel))
        return XFER_FAILED;

    BlockOutput output = {file, RowBytes((TW_UINT32)gImageInfo.ImageWidth, (TW_UINT16)gImageInfo.BitsPerPixel)};
    return CopyQueuedBlocks(WriteBlockData, &output);
}

TW_INT16 WriteTiffScaled(HFILE file) {
    if (gReceiveFailed) {
        DiscardImageData();
        return XFER_CANCELLED;
    }
    TW_UINT16 bits = (TW_UINT16)gImageInfo.BitsPerPixel;
    TW_UINT32 sourceBytes = RowBytes(gSourceWidth, bits);
    TW_UINT32 rowBytes = RowBytes(gScaledWidth, bits);
    TW_INT32 entries = ScaleRulerEntries();

    ScopedBlock ruler((size_t)entries * sizeof(TW_INT32));
    if (!ruler.As<TW_INT32>()) return XFER_FAILED;
    EvaluateScaleRuler(ruler.As<TW_INT32>(), gScaleNum, gScaleDen, entries);
    LineScaler scale = ScalerForDepth(bits, false, gScaleNum, gScaleDen);  // red, green, blue kept
    if (!scale) {
        DiscardImageData();
        return XFER_FAILED;
    }
    if (!WriteTiffHeader(file, gScaledWidth, gScaledLength, bits)) return XFER_FAILED;
    ScopedBlock line(rowBytes);
    if (!line.As<TW_UINT8>()) return XFER_FAILED;
    ScaledWalk walk = {ruler.As<TW_INT32>(), line.As<TW_UINT8>(), scale, sourceBytes};
    RowOutput output = {file, rowBytes};
    TW_INT16 status = CopyScaledRows(walk, WriteRow, &output);
    DiscardImageData();
    return status;
}
