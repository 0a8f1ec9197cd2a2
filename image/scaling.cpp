#include "scaling.h"

#include "afx.h"
#include "globals.h"

int MinDivable(TW_INT32 &num, TW_INT32 &den) {
    if (num < den || den <= 0) {
        AfxMessageBox("Error!\nMinDivable");
        return 0;
    }
    TW_INT32 a = num, b = den, r = a % b;
    while (r != 0) {
        a = b;
        b = r;
        r = a % b;
    }
    num /= b;
    den /= b;
    return 1;
}

TW_UINT16 ScaleDimension(TW_INT32 num, TW_INT32 den, TW_UINT16 value) {
    return (TW_UINT16)ScaledSize(num, den, value);
}

TW_UINT32 ScaledSize(TW_INT32 num, TW_INT32 den, TW_UINT32 value) {
    if (den <= 0 || num < 0) return 0;
    return (TW_UINT32)((uint64_t)value * (uint32_t)num / (uint32_t)den);
}

// Output pixel i shows source pixel floor((2i + 1) m / 2n), the one under its
// centre; the ruler holds the steps between neighbours and repeats every n.
int EvaluateScaleRuler(TW_INT32 *ruler, TW_INT32 n, TW_INT32 m, TW_INT32 total) {
    if (n < m || m <= 0) {
        AfxMessageBox("Error!\nEvaluateScaleRuler");
        return 0;
    }
    int64_t previous = 0;
    for (TW_INT32 i = 0; i < total; ++i) {
        if (i >= n) {
            ruler[i] = ruler[i - n];
            continue;
        }
        int64_t shown = ((2 * (int64_t)i + 1) * m) / (2 * (int64_t)n);
        ruler[i] = i == 0 ? 1 : (TW_INT32)(shown - previous);
        previous = shown;
    }
    return 1;
}

void ScaleLine1(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    const TW_UINT8 *source = src;
    unsigned position = 0;  // next bit of *source, 0 = most significant
    unsigned bit = 0;       // the source bit shown now
    unsigned out = 0, filled = 0;
    for (TW_UINT16 i = 0; i < count; ++i) {
        if (i == 0 || ruler[i]) {
            if (position == 8) {
                ++source;
                position = 0;
            }
            bit = (*source >> (7 - position)) & 1;
            ++position;
        }
        out = (out << 1) | bit;
        if (++filled == 8) {
            *dest++ = (TW_UINT8)out;
            out = filled = 0;
        }
    }
    if (filled) *dest = (TW_UINT8)(out << (8 - filled));
}

void ScaleLine8(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    size_t k = 0;
    for (TW_UINT16 i = 0; i < count; ++i) {
        if (i) k += ruler[i];
        dest[i] = src[k];
    }
}

void ScaleLine24(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    size_t k = 0;
    for (TW_UINT16 i = 0; i < count; ++i, dest += 3) {
        if (i) k += 3 * (size_t)ruler[i];
        dest[0] = src[k];
        dest[1] = src[k + 1];
        dest[2] = src[k + 2];
    }
}

void ScaleLine24BGR(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    size_t k = 0;
    for (TW_UINT16 i = 0; i < count; ++i, dest += 3) {
        if (i) k += 3 * (size_t)ruler[i];
        dest[0] = src[k + 2];
        dest[1] = src[k + 1];
        dest[2] = src[k];
    }
}

void MoveRequestedResolution() {
    if (gImageInfo.XResolution.Frac) gImageInfo.XResolution.Whole = (TW_INT16)gImageInfo.XResolution.Frac;
    gImageInfo.XResolution.Frac = 0;
}

LineScaler ScalerForDepth(int bitsPerPixel, bool blueFirst) {
    switch (bitsPerPixel) {
    case 24:
        return blueFirst ? ScaleLine24BGR : ScaleLine24;
    case 8:
        return ScaleLine8;
    case 1:
        return ScaleLine1;
    default:
        return nullptr;
    }
}
