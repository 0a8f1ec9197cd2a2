#include "native_xfer.h"

#include "afx.h"
#include "dib.h"
#include "image/direct_image.h"
#include "image/image_reader.h"
#include "startup/boundary_memory.h"

#include <string.h>

// The header block's header and palette at the front of a new bitmap of the
// whole image's size, its rows zeroed, in the memory the application
// receives; locked. Null (with the message the source has always shown)
// when the bitmap cannot be had.
static TW_UINT8 *EmptyBitmap(TW_HANDLE *bitmap, BITMAPINFOHEADER *header) {
    *bitmap = nullptr;
    HGLOBAL front = BuildDibHeader();
    if (!front) {
        AfxMessageBox("ReadDibBitmapInfo Error");
        return nullptr;
    }
    ReadDibBitmapInfo(front, header);
    size_t total = DibTotalSize(*header);
    size_t frontBytes = header->biSize + PaletteSize(*header);
    *bitmap = total ? AllocBoundary(total) : nullptr;
    size_t size = 0;
    TW_UINT8 *data = *bitmap ? static_cast<TW_UINT8 *>(LockBoundary(*bitmap, &size)) : nullptr;
    const void *frontData = data ? GlobalLock(front) : nullptr;
    if (frontData) {
        memcpy(data, frontData, frontBytes);
        memset(data + frontBytes, 0, total - frontBytes);
        GlobalUnlock(front);
    }
    GlobalFree(front);
    if (!frontData) {
        if (data) UnlockBoundary(*bitmap);
        FreeBoundary(*bitmap);
        *bitmap = nullptr;
        AfxMessageBox("ReAlloc failed.");
        return nullptr;
    }
    return data;
}

// Rows go into the bitmap bottom-up: the first row read is the last in
// memory.
static TW_INT16 FillRows(const BITMAPINFOHEADER &header, TW_UINT8 *pixels) {
    TW_INT16 status = BeginRead(ReadForm::RowsBlueFirst);
    if (status != XFER_MORE) return status;
    long rowBytes = (long)DibRowBytes(header);
    status = NextRows(pixels + (header.biHeight - 1) * rowBytes, -rowBytes, (TW_UINT32)header.biHeight);
    EndRead(status);
    return status;
}

TW_INT16 BitmapOfQueue(TW_HANDLE *dib) {
    *dib = nullptr;
    if (gImage.outcome == ImageOutcome::ReceptionFailed) return StoppedReception(false);
    // Made before reading begins: a bitmap that cannot be had leaves the image whole.
    BITMAPINFOHEADER header;
    TW_UINT8 *base = EmptyBitmap(dib, &header);
    if (!base) return XFER_FAILED;
    TW_INT16 status = FillRows(header, base + header.biSize + PaletteSize(header));
    UnlockBoundary(*dib);
    return status;
}

// The scan module's own bitmap, in our global memory, handed over in the
// application's.
static TW_INT16 ScanModuleBitmap(TW_HANDLE *dib) {
    HGLOBAL bitmap = nullptr;
    TW_INT16 status = DirectBitmap(&bitmap);
    if (status != XFER_DONE) {
        if (bitmap) GlobalFree(bitmap);
        return status;
    }
    *dib = HandOverBitmap(bitmap);
    return *dib ? XFER_DONE : XFER_NO_MEMORY;
}

TW_INT16 NativeXfer(TW_HANDLE *dib) {
    *dib = nullptr;
    if (gImage.where == ImageWhere::ScanModule) return ScanModuleBitmap(dib);
    if (!IsQueued(gImage)) return XFER_FAILED;
    TW_INT16 status = BitmapOfQueue(dib);
    // Only a complete bitmap becomes the application's; a partial or failed
    // one would be memory nobody frees.
    if (status != XFER_DONE && *dib) {
        FreeBoundary(*dib);
        *dib = nullptr;
    }
    return status;
}
