// DG_IMAGE / DAT_IMAGENATIVEXFER: the image as one packed bitmap in a global
// block that becomes the application's. The scan module builds it for an
// image it delivers directly; a queued image is copied in, or enlarged line
// by line.
#include "native_xfer.h"

#include "afx.h"
#include "dib.h"
#include "entry/dispatch.h"
#include "global_block.h"
#include "queued_copy.h"
#include "reception.h"
#include "scaling.h"
#include "spool.h"
#include "startup/boundary_memory.h"
#include "startup/scan_module.h"

#include <string.h>

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

static void CopyLine(TW_UINT8 *row, const TW_UINT8 *src, const BITMAPINFOHEADER &header, TW_UINT32 lineBytes) {
    if (header.biBitCount == 24) {
        CopyLineBGR(row, src, (TW_UINT32)header.biWidth);
    } else if (header.biBitCount == 1 || header.biBitCount == 8) {
        memcpy(row, src, lineBytes);
    }
}

// Rows go into the bitmap bottom-up: the first line received is the last
// row in memory.
struct DibFill {
    const BITMAPINFOHEADER *header;
    TW_UINT8 *pixels;    // start of the pixel array
    TW_UINT8 *position;  // where the row last written begins
    TW_UINT32 rowBytes;  // padded
    TW_UINT32 lineBytes;
};

static DibFill StartDibFill(const BITMAPINFOHEADER &header, TW_UINT8 *pixels) {
    return {&header, pixels, pixels + header.biSizeImage, DibRowBytes(header),
            RowBytes((TW_UINT32)header.biWidth, header.biBitCount)};
}

static bool TakeBlockRows(void *context, const MBInfo &block, const TW_UINT8 *src) {
    DibFill &fill = *static_cast<DibFill *>(context);
    if (!src) return false;  // a spooled block that cannot be read back
    for (TW_UINT32 line = 0; line < block.Rows && fill.position > fill.pixels; ++line, src += fill.lineBytes) {
        fill.position -= fill.rowBytes;
        CopyLine(fill.position, src, *fill.header, fill.lineBytes);
    }
    return true;
}

static TW_INT16 FillDibFromQueue(const BITMAPINFOHEADER &header, TW_UINT8 *pixels) {
    DibFill fill = StartDibFill(header, pixels);
    return CopyQueuedBlocks(TakeBlockRows, &fill);
}

HGLOBAL NativeFromQueue(TW_INT16 *status) {
    *status = XFER_FAILED;
    // An empty queue means a failed transfer already consumed the image: a
    // blank bitmap must not pass for it.
    if (gReceiveFailed || gImageQueue.GetCount() == 0) {
        DiscardImageData();
        return nullptr;
    }
    HGLOBAL dib = BuildDibHeader();
    if (!dib) {
        AfxMessageBox("ReadDibBitmapInfo Error");
        return nullptr;
    }
    BITMAPINFOHEADER header;
    dib = GrowToFullSize(dib, &header);
    if (!dib) return nullptr;
    TW_UINT8 *base = static_cast<TW_UINT8 *>(GlobalLock(dib));
    if (!base) {
        GlobalFree(dib);
        return nullptr;
    }
    *status = FillDibFromQueue(header, base + header.biSize + PaletteSize(header));
    GlobalUnlock(dib);
    return dib;
}

static bool TakeScaledRow(void *context, const TW_UINT8 *row) {
    DibFill &fill = *static_cast<DibFill *>(context);
    if (!row || fill.position <= fill.pixels) return false;
    fill.position -= fill.rowBytes;
    memcpy(fill.position, row, fill.lineBytes);
    return true;
}

HGLOBAL ScaledNative(TW_INT16 *status) {
    *status = XFER_FAILED;
    if (gReceiveFailed) {
        DiscardImageData();
        return nullptr;
    }
    TW_INT32 entries = ScaleRulerEntries();
    ScopedBlock ruler((size_t)entries * sizeof(TW_INT32));
    if (!ruler.As<TW_INT32>()) {
        DiscardImageData();
        return nullptr;
    }
    EvaluateScaleRuler(ruler.As<TW_INT32>(), gScaleNum, gScaleDen, entries);

    HGLOBAL dib = BuildDibHeader();
    if (!dib) {
        AfxMessageBox("ReadDibBitmapInfo Error");
        DiscardImageData();
        return nullptr;
    }
    BITMAPINFOHEADER header;
    dib = GrowToFullSize(dib, &header);
    ScopedBlock line(dib ? DibRowBytes(header) : 0);
    TW_UINT8 *base = dib && line.As<TW_UINT8>() ? static_cast<TW_UINT8 *>(GlobalLock(dib)) : nullptr;
    if (!base) {
        if (dib) GlobalFree(dib);
        DiscardImageData();
        return nullptr;
    }
    LineScaler scale = ScalerForDepth(header.biBitCount, true, gScaleNum, gScaleDen);  // blue first
    ScaledWalk walk = {ruler.As<TW_INT32>(), line.As<TW_UINT8>(), scale, RowBytes(gSourceWidth, header.biBitCount)};
    DibFill fill = StartDibFill(header, base + header.biSize + PaletteSize(header));
    *status = CopyScaledRows(walk, TakeScaledRow, &fill);
    GlobalUnlock(dib);
    return dib;
}

// The bitmap of the current image, by the road it took.
static HGLOBAL ProduceBitmap() {
    if (!gBufferedImage) {
        HGLOBAL dib = nullptr;
        gXferStatus = ScanModuleOps.GetSMImage_DIB(&dib);
        // Success without a bitmap is no image at all.
        if (!dib && XferReturnCode(gXferStatus) == TWRC_XFERDONE) gXferStatus = XFER_FAILED;
        return dib;
    }
    if (!gScaleMode) {
        HGLOBAL dib = NativeFromQueue(&gXferStatus);
        gImageInfo.XResolution.Frac = 0;
        return dib;
    }
    return ScaledNative(&gXferStatus);
}

TW_UINT16 ImageNativeXferHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (gDSState != DS_STATE_XFERREADY) return FailWith(TWCC_SEQERROR);
    TW_HANDLE *slot = static_cast<TW_HANDLE *>(args->pData);
    if (!slot) return FailWith(TWCC_BADVALUE);

    HGLOBAL dib = ProduceBitmap();
    TW_UINT16 rc = XferReturnCode(gXferStatus);
    // Only a complete bitmap becomes the application's; a partial or failed
    // one would be memory nobody frees.
    if (rc != TWRC_XFERDONE && dib) {
        GlobalFree(dib);
        dib = nullptr;
    }
    *slot = dib ? HandOverBitmap(dib) : nullptr;
    if (dib && !*slot) return FailWith(TWCC_LOWMEMORY);
    if (rc == TWRC_FAILURE) return FailWith(TWCC_OPERATIONERROR);
    gXferReady = FALSE;
    gDSState = DS_STATE_XFERRING;
    return rc;
}
