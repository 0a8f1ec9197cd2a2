#include "tiff_writer.h"

#include "afx.h"
#include "image/image_reader.h"
#include "image/image_size.h"
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
    PutEntry(entry, 259, TIFF_SHORT, 1, 1);            // no compression
    PutEntry(entry, 262, TIFF_SHORT, 1, rgb ? 2 : 1);  // RGB, or black is zero
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

bool WriteRows(HFILE file, const TW_UINT8 *rows, TW_UINT32 bytes) {
    if (WriteAll(file, rows, bytes)) return true;
    AfxMessageBox(kBitmapFailure);
    return false;
}

// Each block's rows go out in one piece; whatever the scan module left
// behind them in the block is not part of the image.
TW_INT16 WriteBlocks(HFILE file) {
    TW_UINT32 rowBytes = RowBytes((TW_UINT32)gImageInfo.ImageWidth, (TW_UINT16)gImageInfo.BitsPerPixel);
    TW_INT16 status;
    ImageBlock block;
    do {
        status = NextBlock(&block);
        if (status == XFER_FAILED)
            AfxMessageBox(kBitmapFailure);  // a block that cannot be read back
        else if ((status == XFER_MORE || status == XFER_DONE) && !WriteRows(file, block.data, block.rows * rowBytes))
            status = XFER_FAILED;
    } while (status == XFER_MORE);
    return status;
}

// Enlarged rows go out one by one: a repeated row writes the line again.
TW_INT16 WriteEnlargedRows(HFILE file) {
    TW_INT16 status;
    const TW_UINT8 *row = nullptr;
    do {
        status = NextRow(&row);
        if (status == XFER_FAILED)
            AfxMessageBox(kBitmapFailure);  // a source line that cannot be had
        else if ((status == XFER_MORE || status == XFER_DONE) && !WriteRows(file, row, ReadRowBytes()))
            status = XFER_FAILED;
    } while (status == XFER_MORE);
    return status;
}

}  // namespace

TW_INT16 WriteTiffFile(HFILE file) {
    if (gImage.outcome == ImageOutcome::ReceptionFailed) return StoppedReception(true);
    TW_UINT16 bits = (TW_UINT16)gImageInfo.BitsPerPixel;
    if (!IsTiffDepth(bits)) return XFER_FAILED;
    if (!WriteTiffHeader(file, (TW_UINT32)gImageInfo.ImageWidth, (TW_UINT32)gImageInfo.ImageLength, bits))
        return XFER_FAILED;
    bool enlarged = gImage.where == ImageWhere::QueueEnlarged;
    // Red, green, blue as the scan module delivered them.
    TW_INT16 status = BeginRead(enlarged ? ReadForm::Rows : ReadForm::Blocks);
    if (status != XFER_MORE) return status;
    status = enlarged ? WriteEnlargedRows(file) : WriteBlocks(file);
    EndRead(status);
    return status;
}
