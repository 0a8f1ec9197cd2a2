// A native transfer's bitmap: a packed DIB (BITMAPINFOHEADER, palette,
// pixels) checked against the size of its block before anything reads it.
#ifndef QR_DIB_IMAGE_H
#define QR_DIB_IMAGE_H

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "raster_image.h"

struct DibView {
    const uint8_t *bytes;
    uint32_t headerBytes;  // biSize
    uint32_t width;
    uint32_t height;          // rows, whichever way they run
    bool topDown;             // biHeight was negative
    int bits;                 // 1, 4, 8 or 24
    uint32_t paletteEntries;  // biClrUsed, or 2^bits when that is 0
    uint64_t stride;          // a stored row, padded to four bytes
    uint64_t pixelOffset;     // from the start of the DIB
    uint64_t totalBytes;      // header, palette and pixels
    uint32_t xDpi, yDpi;      // from the pixels per metre, rounded
};

// FALSE with *error when `bytes` (of `size`) is no uncompressed DIB that
// qrscan can read, or is shorter than its header says.
bool ReadDib(const uint8_t *bytes, size_t size, DibView *dib, std::string *error);

// The DIB as top-down rows: palette indices become grey levels (1-bit stays
// 1-bit, 1 the lighter colour; 4-bit becomes 8-bit grey), colour becomes
// red, green, blue. FALSE for a palette that is not grey.
bool DibToRaster(const DibView &dib, RasterImage *image, std::string *error);

#endif
