// An image as qrscan holds it between a transfer and the file it writes:
// rows top-down with no padding, 1-bit pixels from the high bit (1 white),
// 8-bit grey bytes, 24-bit red, green, blue. Memory transfers assemble one
// from strips; a native transfer's bitmap is turned into one for TIFF.
#ifndef QR_RASTER_IMAGE_H
#define QR_RASTER_IMAGE_H

#include <stdint.h>

#include <string>
#include <vector>

struct RasterImage {
    uint32_t width = 0;
    uint32_t length = 0;  // rows held so far, for an image of open length
    int bits = 0;         // 1, 8 or 24
    uint32_t xDpi = 0, yDpi = 0;
    std::vector<uint8_t> pixels;

    uint32_t RowBytes() const { return (uint32_t)(((uint64_t)width * (uint64_t)bits + 7) / 8); }
    uint8_t *Row(uint32_t y) { return pixels.data() + (size_t)y * RowBytes(); }
    const uint8_t *Row(uint32_t y) const { return pixels.data() + (size_t)y * RowBytes(); }
};

// The largest image qrscan takes: the files it writes have 32-bit offsets.
const uint64_t kMaxRasterBytes = 0xF0000000u;

// FALSE when `bits` is not 1, 8 or 24, or rows of `width` pixels would make
// more than kMaxRasterBytes at `length` rows.
bool RasterSizeIsSane(uint32_t width, uint32_t length, int bits);

// Sizes the image for `length` rows (zero-filled); FALSE with *error when it
// cannot be had.
bool ResizeRaster(RasterImage *image, uint32_t length, std::string *error);

// Stored row bytes of a DIB or BMP: the row padded to four bytes.
uint64_t PaddedRowBytes(uint32_t width, int bits);

#endif
