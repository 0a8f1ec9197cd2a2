#include "raster_image.h"

#include <new>

bool RasterSizeIsSane(uint32_t width, uint32_t length, int bits) {
    if (bits != 1 && bits != 8 && bits != 24) return false;
    if (width == 0) return false;
    uint64_t rowBytes = ((uint64_t)width * (uint64_t)bits + 7) / 8;
    // Padded rows are what the BMP needs; checking those covers the raw ones.
    uint64_t padded = (rowBytes + 3) / 4 * 4;
    return (uint64_t)length <= kMaxRasterBytes / padded;
}

bool ResizeRaster(RasterImage *image, uint32_t length, std::string *error) {
    if (!RasterSizeIsSane(image->width, length, image->bits)) {
        *error = "an image of " + std::to_string(image->width) + " x " + std::to_string(length) + " pixels at " +
                 std::to_string(image->bits) + " bits is more than qrscan can hold";
        return false;
    }
    try {
        image->pixels.resize((size_t)image->RowBytes() * length, 0);
    } catch (const std::bad_alloc &) {
        *error = "not enough memory for the image";
        return false;
    }
    image->length = length;
    return true;
}

uint64_t PaddedRowBytes(uint32_t width, int bits) { return ((uint64_t)width * (uint64_t)bits + 31) / 32 * 4; }
