// Sizes computed from what the scan module reports. Every row, block, strip,
// bitmap and file size goes through these helpers: a size that does not fit
// kLargestImageBytes is refused, never cut to 32 bits.
#ifndef QR_IMAGE_IMAGE_SIZE_H
#define QR_IMAGE_IMAGE_SIZE_H

#include "twain.h"

#include <stdint.h>

// The largest size of anything the source computes: what a bitmap's signed
// 32-bit sizes (biWidth, biSizeImage), TWAIN's TW_INT32 image dimensions and
// the 32-bit offsets of a TIFF file all hold, so that an image accepted for
// one road can be handed over by every other.
constexpr uint64_t kLargestImageBytes = 0x7FFFFFFF;

// `value` as a size; false (and *out untouched) when it does not fit.
inline bool FitsImageSize(uint64_t value, TW_UINT32 *out) {
    if (value > kLargestImageBytes) return false;
    *out = (TW_UINT32)value;
    return true;
}

// a * b, when it fits.
inline bool CheckedProduct(uint64_t a, uint64_t b, TW_UINT32 *out) {
    if (a != 0 && b > kLargestImageBytes / a) return false;
    return FitsImageSize(a * b, out);
}

// a + b, when it fits.
inline bool CheckedSum(uint64_t a, uint64_t b, TW_UINT32 *out) {
    if (a > kLargestImageBytes || b > kLargestImageBytes) return false;
    return FitsImageSize(a + b, out);
}

// Bytes of one unpadded row of `width` pixels of `bits` bits each; false for
// an empty row too. The depth is 16 bits wide, so the product cannot wrap.
inline bool CheckedRowBytes(TW_UINT32 width, TW_UINT16 bits, TW_UINT32 *out) {
    if (width == 0 || bits == 0) return false;
    return FitsImageSize(((uint64_t)width * bits + 7) / 8, out);
}

// The same row padded to four bytes, as a bitmap stores it.
inline bool CheckedPaddedRowBytes(TW_UINT32 width, TW_UINT16 bits, TW_UINT32 *out) {
    if (width == 0 || bits == 0) return false;
    return FitsImageSize(((uint64_t)width * bits + 31) / 32 * 4, out);
}

// The unpadded row of an image already known to fit (received, or sized
// with the checked helpers above); 0 should it not.
inline TW_UINT32 RowBytes(TW_UINT32 width, TW_UINT16 bits) {
    TW_UINT32 bytes = 0;
    return CheckedRowBytes(width, bits, &bytes) ? bytes : 0;
}

// The unpadded row of an image description: its width and depth must be
// positive, and the row must fit.
inline bool ImageRowBytes(const TW_IMAGEINFO &info, TW_UINT32 *out) {
    if (info.ImageWidth <= 0 || info.BitsPerPixel <= 0) return false;
    return CheckedRowBytes((TW_UINT32)info.ImageWidth, (TW_UINT16)info.BitsPerPixel, out);
}

#endif
