#include "dib_image.h"

namespace {

uint32_t LE32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t LE16(const uint8_t *p) { return (uint16_t)(p[0] | p[1] << 8); }

uint32_t DpiOf(uint32_t pelsPerMeter) { return (uint32_t)(((uint64_t)pelsPerMeter * 254 + 5000) / 10000); }

const uint8_t *PaletteEntry(const DibView &dib, uint32_t index) { return dib.bytes + dib.headerBytes + 4ull * index; }

// The grey level of every palette entry; FALSE when one is coloured.
bool GreyPalette(const DibView &dib, uint8_t levels[256], std::string *error) {
    for (uint32_t i = 0; i < 256; ++i) levels[i] = 0;
    for (uint32_t i = 0; i < dib.paletteEntries && i < 256; ++i) {
        const uint8_t *entry = PaletteEntry(dib, i);  // blue, green, red, reserved
        if (entry[0] != entry[1] || entry[1] != entry[2]) {
            *error = "the bitmap has a coloured palette, which qrscan can only save as BMP";
            return false;
        }
        levels[i] = entry[2];
    }
    return true;
}

uint32_t IndexAt(const uint8_t *row, uint32_t x, int bits) {
    if (bits == 8) return row[x];
    if (bits == 4) return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

void ConvertRow(const DibView &dib, const uint8_t *source, const uint8_t levels[256], bool invert, uint8_t *out) {
    if (dib.bits == 24) {
        for (uint32_t x = 0; x < dib.width; ++x) {
            out[3 * x] = source[3 * x + 2];
            out[3 * x + 1] = source[3 * x + 1];
            out[3 * x + 2] = source[3 * x];
        }
    } else if (dib.bits == 1) {
        uint32_t bytes = (dib.width + 7) / 8;
        for (uint32_t i = 0; i < bytes; ++i) out[i] = invert ? (uint8_t)~source[i] : source[i];
        if (dib.width % 8) out[bytes - 1] &= (uint8_t)(0xFF << (8 - dib.width % 8));
    } else {
        for (uint32_t x = 0; x < dib.width; ++x) out[x] = levels[IndexAt(source, x, dib.bits)];
    }
}

}  // namespace

bool ReadDib(const uint8_t *bytes, size_t size, DibView *dib, std::string *error) {
    *error = "the native transfer's bitmap is not one qrscan can read";
    if (!bytes || size < 40) return false;
    dib->bytes = bytes;
    dib->headerBytes = LE32(bytes);
    int32_t width = (int32_t)LE32(bytes + 4), height = (int32_t)LE32(bytes + 8);
    dib->bits = LE16(bytes + 14);
    uint32_t compression = LE32(bytes + 16), used = LE32(bytes + 32);
    if (dib->headerBytes < 40 || dib->headerBytes > size || LE16(bytes + 12) != 1 || compression != 0) return false;
    if (dib->bits != 1 && dib->bits != 4 && dib->bits != 8 && dib->bits != 24) return false;
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    dib->width = (uint32_t)width;
    dib->topDown = height < 0;
    dib->height = (uint32_t)(height < 0 ? -height : height);
    uint32_t most = dib->bits <= 8 ? 1u << dib->bits : 256u;
    dib->paletteEntries = used == 0 && dib->bits <= 8 ? most : used;
    if (dib->paletteEntries > most) return false;
    dib->stride = PaddedRowBytes(dib->width, dib->bits);
    dib->pixelOffset = dib->headerBytes + 4ull * dib->paletteEntries;
    if (dib->height > kMaxRasterBytes / dib->stride) return false;
    dib->totalBytes = dib->pixelOffset + dib->stride * dib->height;
    if (dib->totalBytes > size) {
        *error = "the native transfer's bitmap is shorter than its header says";
        return false;
    }
    dib->xDpi = DpiOf(LE32(bytes + 24));
    dib->yDpi = DpiOf(LE32(bytes + 28));
    error->clear();
    return true;
}

bool DibToRaster(const DibView &dib, RasterImage *image, std::string *error) {
    uint8_t levels[256];
    if (dib.bits != 24 && !GreyPalette(dib, levels, error)) return false;
    // 1 is the lighter of the two colours, whatever the palette's order.
    bool invert = dib.bits == 1 && dib.paletteEntries >= 2 && levels[0] > levels[1];
    image->width = dib.width;
    image->bits = dib.bits == 4 ? 8 : dib.bits;
    image->xDpi = dib.xDpi;
    image->yDpi = dib.yDpi;
    if (!ResizeRaster(image, dib.height, error)) return false;
    for (uint32_t y = 0; y < dib.height; ++y) {
        uint32_t stored = dib.topDown ? y : dib.height - 1 - y;
        ConvertRow(dib, dib.bytes + dib.pixelOffset + stored * dib.stride, levels, invert, image->Row(y));
    }
    return true;
}
