#include <string.h>

#include "sim_dib_format.h"
#include "sim_pattern.h"
#include "sim_transfer.h"

namespace {

// No simulated page needs more; larger requests are refused, not attempted.
const uint64_t kMaxDibBytes = 1u << 30;

}  // namespace

TW_INT16 SimDeliverDib(HGLOBAL *dib) {
    if (!dib) return SM_FAILED;
    *dib = nullptr;
    const SimImage *image = SimCurrentImage();
    if (!image || (SimDibPaletteEntries(image->bitsPerPixel) == 0 && image->bitsPerPixel != 24)) return SM_FAILED;
    uint64_t stride = SimDibStride(*image);
    uint64_t imageBytes = stride * (uint64_t)image->length;
    uint64_t paletteBytes = SimDibPaletteEntries(image->bitsPerPixel) * 4ull;
    uint64_t total = kSimDibHeaderBytes + paletteBytes + imageBytes;
    if (total > kMaxDibBytes) return SM_FAILED;
    TW_INT16 status = SimCountBlock();
    if (status != SM_MORE) return status;

    HGLOBAL handle = GlobalAlloc(GHND, (SIZE_T)total);
    uint8_t *p = handle ? (uint8_t *)GlobalLock(handle) : nullptr;
    if (!p) {
        if (handle) GlobalFree(handle);
        return SM_FAILED;
    }
    SimWriteDibHeader(*image, (uint32_t)imageBytes, p);
    SimWriteDibPalette(image->bitsPerPixel, p + kSimDibHeaderBytes);
    uint8_t *pixels = p + kSimDibHeaderBytes + paletteBytes;
    for (int32_t y = 0; y < image->length; ++y)
        SimRenderRow(*image, y, true, pixels + (uint64_t)(image->length - 1 - y) * stride);
    GlobalUnlock(handle);
    *dib = handle;
    SimPageDelivered();
    return SM_DONE;
}
