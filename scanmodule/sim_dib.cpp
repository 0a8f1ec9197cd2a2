#include <string.h>

#include "sim_pattern.h"
#include "sim_transfer.h"

namespace {

const uint32_t kHeaderBytes = 40;
// No simulated page needs more; larger requests are refused, not attempted.
const uint64_t kMaxDibBytes = 1u << 30;

void PutU16(uint8_t *p, uint16_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

void PutU32(uint8_t *p, uint32_t v) {
    PutU16(p, (uint16_t)v);
    PutU16(p + 2, (uint16_t)(v >> 16));
}

uint32_t PaletteEntries(int bits) {
    return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

uint64_t DibStride(const SimImage &image) { return ((uint64_t)image.width * image.bitsPerPixel + 31) / 32 * 4; }

void WriteHeader(const SimImage &image, uint32_t imageBytes, uint8_t *p) {
    uint32_t pelsPerMeter = image.resolution * 10000u / 254u;
    PutU32(p + 0, kHeaderBytes);
    PutU32(p + 4, (uint32_t)image.width);
    PutU32(p + 8, (uint32_t)image.length);  // positive: bottom-up
    PutU16(p + 12, 1);
    PutU16(p + 14, (uint16_t)image.bitsPerPixel);
    PutU32(p + 16, 0);  // BI_RGB
    PutU32(p + 20, imageBytes);
    PutU32(p + 24, pelsPerMeter);
    PutU32(p + 28, pelsPerMeter);
    PutU32(p + 32, PaletteEntries(image.bitsPerPixel));
    PutU32(p + 36, 0);
}

// Grey ramps; for 1 bit black then white, whose reserved byte is 255 as the
// data source's own bitmaps have it.
void WritePalette(int bits, uint8_t *p) {
    uint32_t entries = PaletteEntries(bits);
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t level = (uint8_t)(i * 255 / (entries - 1));
        p[4 * i] = p[4 * i + 1] = p[4 * i + 2] = level;
        p[4 * i + 3] = bits == 1 && i == 1 ? 255 : 0;
    }
}

}  // namespace

TW_INT16 SimDeliverDib(HGLOBAL *dib) {
    if (!dib) return SM_FAILED;
    *dib = nullptr;
    const SimImage *image = SimCurrentImage();
    if (!image || (PaletteEntries(image->bitsPerPixel) == 0 && image->bitsPerPixel != 24)) return SM_FAILED;
    uint64_t stride = DibStride(*image);
    uint64_t imageBytes = stride * (uint64_t)image->length;
    uint64_t paletteBytes = PaletteEntries(image->bitsPerPixel) * 4ull;
    uint64_t total = kHeaderBytes + paletteBytes + imageBytes;
    if (total > kMaxDibBytes) return SM_FAILED;
    TW_INT16 status = SimCountBlock();
    if (status != SM_MORE) return status;

    HGLOBAL handle = GlobalAlloc(GHND, (SIZE_T)total);
    uint8_t *p = handle ? (uint8_t *)GlobalLock(handle) : nullptr;
    if (!p) {
        if (handle) GlobalFree(handle);
        return SM_FAILED;
    }
    WriteHeader(*image, (uint32_t)imageBytes, p);
    WritePalette(image->bitsPerPixel, p + kHeaderBytes);
    uint8_t *pixels = p + kHeaderBytes + paletteBytes;
    for (int32_t y = 0; y < image->length; ++y)
        SimRenderRow(*image, y, true, pixels + (uint64_t)(image->length - 1 - y) * stride);
    GlobalUnlock(handle);
    *dib = handle;
    SimPageDelivered();
    return SM_DONE;
}
