// DG_IMAGE / DAT_IMAGENATIVEXFER: the image as one packed bitmap in a global
// block that becomes the application's. The scan module builds it for an
// image it delivers directly; a queued image is copied in, or enlarged line
// by line.
#include "native_xfer.h"

#include "afx.h"
#include "dib.h"
#include "entry/callbacks.h"
#include "entry/dispatch.h"
#include "reception.h"
#include "scaling.h"
#include "spool.h"
#include "startup/scan_module.h"
#include "ui/progress_dialog.h"

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
        for (LONG x = 0; x < header.biWidth; ++x, src += 3, row += 3) {
            row[0] = src[2];
            row[1] = src[1];
            row[2] = src[0];
        }
    } else if (header.biBitCount == 1 || header.biBitCount == 8) {
        memcpy(row, src, lineBytes);
    }
}

TW_INT16 FillDibFromQueue(const BITMAPINFOHEADER &header, TW_UINT8 *pixels) {
    TW_UINT32 rowBytes = DibRowBytes(header);
    TW_UINT32 lineBytes = RowBytes((TW_UINT32)header.biWidth, header.biBitCount);
    TW_UINT8 *position = pixels + header.biSizeImage;  // the first line received is the last row

    TW_UINT32 counter = 0;
    ProgressDialog dialog(&counter);
    StartProgress(dialog, (TW_UINT32)gImageQueue.GetCount());
    gpLockFunc = LockBlock;
    while (gImageQueue.GetCount() > 0) {
        MBInfo info;
        const TW_UINT8 *src = TakeBlockInfo(&info) ? static_cast<const TW_UINT8 *>(gpLockFunc(&info)) : nullptr;
        if (!src) {  // a spooled block that cannot be read back
            DiscardImageData();
            return XFER_FAILED;
        }
        for (TW_UINT32 line = 0; line < info.Rows && position > pixels; ++line, src += lineBytes) {
            position -= rowBytes;
            CopyLine(position, src, header, lineBytes);
        }
        FreeBlockMemory(&info);
        ++counter;
        PumpMessage();
        if (counter == PROGRESS_CANCELLED) {
            DiscardImageData();
            return XFER_CANCELLED;
        }
    }
    dialog.End();
    DeleteSpoolFile();
    return XFER_DONE;
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

// The working memory of an enlarging copy, freed whatever way it ends.
struct ScaledCopy {
    HGLOBAL ruler = nullptr;
    HGLOBAL line = nullptr;
    ~ScaledCopy() {
        for (HGLOBAL block : {ruler, line}) {
            if (!block) continue;
            GlobalUnlock(block);
            GlobalFree(block);
        }
    }
};

static void *AllocLocked(HGLOBAL *block, size_t bytes) {
    *block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes ? bytes : 1);
    void *data = *block ? GlobalLock(*block) : nullptr;
    if (!data && *block) {
        GlobalFree(*block);
        *block = nullptr;
    }
    return data;
}

static LineScaler ScalerForDib(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 24:
        return ScaleLine24BGR;
    case 8:
        return ScaleLine8;
    case 1:
        return ScaleLine1;
    default:
        return nullptr;
    }
}

static TW_INT16 FillScaledDib(const BITMAPINFOHEADER &header, TW_UINT8 *pixels, const TW_INT32 *ruler,
                              TW_UINT8 *lineBuffer) {
    TW_UINT32 rowBytes = DibRowBytes(header);
    TW_UINT32 lineBytes = RowBytes((TW_UINT32)header.biWidth, header.biBitCount);
    TW_UINT32 sourceBytes = RowBytes(gSourceWidth, header.biBitCount);
    LineScaler scale = ScalerForDib(header.biBitCount);
    TW_UINT8 *position = pixels + header.biSizeImage;

    TW_UINT32 counter = 0;
    ProgressDialog dialog(&counter);
    StartProgress(dialog, gScaledLength);
    gpLockFunc = LockBlock;
    void *source = nullptr;
    TW_INT16 status = XFER_DONE;
    for (TW_UINT32 k = 0; k < gScaledLength && position > pixels; ++k) {
        if (ruler[k]) {
            source = GetOneLine(source, sourceBytes);
            if (!source) {
                status = XFER_FAILED;
                break;
            }
            scale(lineBuffer, static_cast<const TW_UINT8 *>(source), ruler, gScaledWidth);
            PumpMessage();
            if (counter == PROGRESS_CANCELLED) {
                status = XFER_CANCELLED;
                break;
            }
        }
        position -= rowBytes;
        memcpy(position, lineBuffer, lineBytes);
        ++counter;
    }
    if (status == XFER_DONE) dialog.End();
    GetOneLine(nullptr, 0);  // frees the rest of the image and the spool file
    return status;
}

HGLOBAL ScaledNative(TW_INT16 *status) {
    *status = XFER_FAILED;
    if (gReceiveFailed) {
        DiscardImageData();
        return nullptr;
    }
    ScaledCopy work;
    TW_INT32 rulerEntries = gScaledWidth >= gScaledLength ? gScaledWidth : gScaledLength;
    TW_INT32 *ruler = static_cast<TW_INT32 *>(AllocLocked(&work.ruler, (size_t)rulerEntries * sizeof(TW_INT32)));
    if (!ruler) {
        DiscardImageData();
        return nullptr;
    }
    EvaluateScaleRuler(ruler, gScaleNum, gScaleDen, rulerEntries);

    HGLOBAL dib = BuildDibHeader();
    if (!dib) {
        AfxMessageBox("ReadDibBitmapInfo Error");
        DiscardImageData();
        return nullptr;
    }
    BITMAPINFOHEADER header;
    dib = GrowToFullSize(dib, &header);
    TW_UINT8 *lineBuffer = dib ? static_cast<TW_UINT8 *>(AllocLocked(&work.line, DibRowBytes(header))) : nullptr;
    TW_UINT8 *base = lineBuffer ? static_cast<TW_UINT8 *>(GlobalLock(dib)) : nullptr;
    if (!base) {
        if (dib) GlobalFree(dib);
        DiscardImageData();
        return nullptr;
    }
    *status = FillScaledDib(header, base + header.biSize + PaletteSize(header), ruler, lineBuffer);
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
    *slot = dib;
    if (rc == TWRC_FAILURE) return FailWith(TWCC_OPERATIONERROR);
    gXferReady = FALSE;
    gDSState = DS_STATE_XFERRING;
    return rc;
}
