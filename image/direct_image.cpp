#include "direct_image.h"

#include "caps/file_setup.h"
#include "image_size.h"
#include "startup/scan_module.h"

TW_INT16 DirectBitmap(HGLOBAL *dib) {
    *dib = nullptr;
    TW_INT16 status = WholeImageStatus(ScanModuleOps.GetSMImage_DIB(dib));
    if (!*dib && status == XFER_DONE) status = XFER_FAILED;
    return status;
}

TW_INT16 DirectFile() { return WholeImageStatus(ScanModuleOps.GetSMImage_File(&gSetupFileXfer, 1)); }

TW_INT16 DirectStrip(TW_IMAGEMEMXFER *strip, void *buffer, TW_UINT32 capacity) {
    // An image whose row cannot be sized cannot be described to the application.
    TW_UINT32 rowBytes = 0;
    if (!ImageRowBytes(gImageInfo, &rowBytes)) return XFER_FAILED;
    strip->Compression = TWCP_NONE;
    strip->BytesPerRow = rowBytes;
    strip->Columns = (TW_UINT32)gImageInfo.ImageWidth;
    strip->Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    // Never more than the buffer really holds.
    TW_UINT32 length = gPrefBufSize && gPrefBufSize < capacity ? gPrefBufSize : capacity;
    strip->Memory.Length = length;
    strip->Memory.TheMem = buffer;
    TW_INT16 status = ScanModuleOps.GetSMImage_Buf(strip, buffer);
    if (status != XFER_MORE && status != XFER_DONE) return status;
    // The application reads what the strip says it holds: a strip that
    // claims more than the buffer, or more rows than its bytes, is refused.
    uint64_t rowsBytes = (uint64_t)strip->Rows * strip->BytesPerRow;
    if (strip->BytesWritten > length || rowsBytes > strip->BytesWritten) {
        strip->Rows = strip->BytesWritten = 0;
        return XFER_FAILED;
    }
    return status;
}
