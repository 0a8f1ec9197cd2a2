#include "bmp_writer.h"

#include "afx.h"
#include "dib.h"
#include "native_xfer.h"
#include "startup/boundary_memory.h"

#include <string.h>

static const TW_UINT32 kPiece = 0x8000;  // the bitmap goes out in pieces of 32 KiB

// The bitmap from its own block, in whole pieces and then the rest.
static TW_INT16 WriteBitmap(HFILE file, const TW_UINT8 *bitmap, TW_UINT32 total) {
    TW_UINT32 remaining = total;
    while (remaining > kPiece) {
        if (_lwrite(file, reinterpret_cast<const char *>(bitmap), kPiece) != kPiece) {
            AfxMessageBox("Error!\nWrite File 0x8000 bytes Failure.");
            return XFER_FAILED;
        }
        bitmap += kPiece;
        remaining -= kPiece;
    }
    if (_lwrite(file, reinterpret_cast<const char *>(bitmap), remaining) != remaining) {
        AfxMessageBox("Error!\nWrite File totalSize bytes Failure.");
        return XFER_FAILED;
    }
    return XFER_DONE;
}

static TW_INT16 WriteLockedBitmap(HFILE file, const TW_UINT8 *bitmap) {
    BITMAPINFOHEADER header;
    memcpy(&header, bitmap, sizeof header);
    TW_UINT32 palette = PaletteSize(header);
    TW_UINT32 total = header.biSize + palette + header.biSizeImage;

    BITMAPFILEHEADER fileHeader;
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = (DWORD)(sizeof fileHeader + total);
    fileHeader.bfReserved1 = 0;
    fileHeader.bfReserved2 = 0;
    fileHeader.bfOffBits = (DWORD)(sizeof fileHeader + header.biSize + palette);
    static_assert(sizeof fileHeader == 14, "BITMAPFILEHEADER is 14 bytes");
    if (_lwrite(file, reinterpret_cast<const char *>(&fileHeader), sizeof fileHeader) != sizeof fileHeader) {
        AfxMessageBox("Error!\nWrite BITMAPFILEHEADER Failure.");
        return XFER_FAILED;
    }
    return WriteBitmap(file, bitmap, total);
}

TW_INT16 WriteBmpFile(HFILE file) {
    TW_HANDLE dib = nullptr;
    TW_INT16 status = BitmapOfQueue(&dib);
    if (status != XFER_DONE) {
        AfxMessageBox("Error!\n OpenDIB Failure");
        FreeBoundary(dib);
        if (status != XFER_CANCELLED) status = XFER_FAILED;
        return status;
    }
    // The file is the bitmap's only consumer: it goes once written.
    size_t size = 0;
    const TW_UINT8 *bitmap = static_cast<const TW_UINT8 *>(LockBoundary(dib, &size));
    status = bitmap ? WriteLockedBitmap(file, bitmap) : XFER_FAILED;
    if (bitmap) UnlockBoundary(dib);
    FreeBoundary(dib);
    return status;
}
