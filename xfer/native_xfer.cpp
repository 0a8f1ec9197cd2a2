#include "native_xfer.h"

#include "afx.h"
#include "dib.h"
#include "image/direct_image.h"
#include "image/image_reader.h"

// The header block grown to the whole bitmap, zero-filled; null (the header
// block freed) when it cannot grow.
static HGLOBAL GrowToFullSize(HGLOBAL dib, BITMAPINFOHEADER *header) {
    ReadDibBitmapInfo(dib, header);
    size_t total = DibTotalSize(*header);
    HGLOBAL grown = total ? GlobalReAlloc(dib, total, GMEM_MOVEABLE | GMEM_ZEROINIT) : nullptr;
    if (!grown) {
        GlobalFree(dib);
        AfxMessageBox("ReAlloc failed.");
    }
    return grown;
}

// The empty bitmap of the image's size: header, palette, zeroed rows.
static HGLOBAL EmptyBitmap(BITMAPINFOHEADER *header) {
    HGLOBAL dib = BuildDibHeader();
    if (!dib) {
        AfxMessageBox("ReadDibBitmapInfo Error");
        return nullptr;
    }
    return GrowToFullSize(dib, header);
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

TW_INT16 BitmapOfQueue(HGLOBAL *dib) {
    *dib = nullptr;
    if (gImage.outcome == ImageOutcome::ReceptionFailed) return StoppedReception(false);
    // Made before reading begins: a bitmap that cannot be had leaves the image whole.
    BITMAPINFOHEADER header;
    HGLOBAL bitmap = EmptyBitmap(&header);
    TW_UINT8 *base = bitmap ? static_cast<TW_UINT8 *>(GlobalLock(bitmap)) : nullptr;
    if (!base) {
        if (bitmap) GlobalFree(bitmap);
        return XFER_FAILED;
    }
    TW_INT16 status = FillRows(header, base + header.biSize + PaletteSize(header));
    GlobalUnlock(bitmap);
    *dib = bitmap;
    return status;
}

TW_INT16 NativeXfer(HGLOBAL *dib) {
    HGLOBAL bitmap = nullptr;
    TW_INT16 status = XFER_FAILED;
    if (gImage.where == ImageWhere::ScanModule) status = DirectBitmap(&bitmap);
    else if (IsQueued(gImage)) status = BitmapOfQueue(&bitmap);
    // Only a complete bitmap becomes the application's; a partial or failed
    // one would be memory nobody frees.
    if (status != XFER_DONE && bitmap) {
        GlobalFree(bitmap);
        bitmap = nullptr;
    }
    *dib = bitmap;
    return status;
}
