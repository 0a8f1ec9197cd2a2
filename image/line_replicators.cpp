#include "line_replicators.h"

#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The output byte of eight 1-bit pixels, for every way the source can
// advance under them and every eight source bits they may show. Pattern bit
// b - 1 (b = 1 to 7) says pixel b shows the source bit after pixel b - 1's;
// the window's most significant bit is the one pixel 0 shows.
struct BitGatherTable {
    TW_UINT8 bytes[128][256];
    TW_UINT8 advances[128];  // the bits set in each pattern
    BitGatherTable() {
        for (unsigned pattern = 0; pattern < 128; ++pattern) {
            advances[pattern] = 0;
            for (unsigned b = 0; b < 7; ++b) advances[pattern] += pattern >> b & 1;
            for (unsigned window = 0; window < 256; ++window) {
                unsigned at = 0, out = 0;
                for (unsigned b = 0; b < 8; ++b) {
                    if (b > 0 && (pattern >> (b - 1) & 1)) ++at;
                    out = out << 1 | (window >> (7 - at) & 1);
                }
                bytes[pattern][window] = (TW_UINT8)out;
            }
        }
    }
};

const BitGatherTable &Gather() {
    static const BitGatherTable table;
    return table;
}

// Bit b set when ruler entry b of the eight from `ruler` on is not 0.
inline unsigned NonZeroMask8(const TW_INT32 *ruler) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i low = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(ruler)), zero);
    __m128i high = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(ruler + 4)), zero);
    __m128i zeros = _mm_packs_epi16(_mm_packs_epi32(low, high), zero);
    return ~(unsigned)_mm_movemask_epi8(zeros) & 0xFF;
#else
    unsigned mask = 0;
    for (unsigned b = 0; b < 8; ++b) mask |= (unsigned)(ruler[b] != 0) << b;
    return mask;
#endif
}

// Each byte with every bit twice, as the two bytes it becomes.
struct BitDoubler {
    TW_UINT8 pairs[256][2];
    BitDoubler() {
        for (unsigned byte = 0; byte < 256; ++byte) {
            unsigned out = 0;
            for (int b = 7; b >= 0; --b) out = out << 2 | (byte >> b & 1) * 3u;
            pairs[byte][0] = (TW_UINT8)(out >> 8);
            pairs[byte][1] = (TW_UINT8)out;
        }
    }
};

const BitDoubler &Doubler() {
    static const BitDoubler doubler;
    return doubler;
}

void DoubleBits(TW_UINT8 *dest, const TW_UINT8 *src, TW_UINT16 count) {
    const BitDoubler &doubler = Doubler();
    TW_UINT32 whole = count / 8;  // output byte j shows half of source byte j / 2
    TW_UINT32 j = 0;
    for (; j + 2 <= whole; j += 2) memcpy(dest + j, doubler.pairs[src[j / 2]], 2);
    if (j < whole) {
        dest[j] = doubler.pairs[src[j / 2]][0];
        ++j;
    }
    if (count % 8) dest[j] = (TW_UINT8)(doubler.pairs[src[j / 2]][j % 2] & (0xFF00u >> (count % 8)));
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
const bool kLittleEndian = true;
#else
const bool kLittleEndian = false;
#endif

// One 24-bit pixel into dest, its first and third bytes exchanged or not.
// A wide pixel is moved as four bytes: the fourth is read from the next
// source pixel and written over the next output pixel, which comes after.
template <bool Swap, bool Wide>
inline void PutPixel(TW_UINT8 *dest, const TW_UINT8 *src) {
    if (Wide && kLittleEndian) {
        TW_UINT32 v;
        memcpy(&v, src, 4);
        if (Swap) v = __builtin_bswap32(v) >> 8;
        memcpy(dest, &v, 4);
    } else {
        dest[0] = src[Swap ? 2 : 0];
        dest[1] = src[1];
        dest[2] = src[Swap ? 0 : 2];
    }
}

template <bool Swap>
void ScaleLine24Order(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    if (count == 0) return;
    // The source pixel the last output pixel shows is the last one read:
    // only pixels before it may be read four bytes wide.
    size_t last = 0;
    for (TW_UINT32 i = 1; i < count; ++i) last += (size_t)ruler[i];
    size_t k = 0;
    TW_UINT32 i = 0;
    for (; i + 1 < count; ++i, dest += 3) {
        if (i) k += (size_t)ruler[i];
        if (k < last)
            PutPixel<Swap, true>(dest, src + 3 * k);
        else
            PutPixel<Swap, false>(dest, src + 3 * k);
    }
    if (i) k += (size_t)ruler[i];
    PutPixel<Swap, false>(dest, src + 3 * k);
}

template <bool Swap>
void DoubleLine24Order(TW_UINT8 *dest, const TW_UINT8 *src, TW_UINT16 count) {
    if (count == 0) return;
    size_t last = ((size_t)count - 1) / 2;  // the last source pixel shown
    TW_UINT32 i = 0;
    for (; i + 1 < count; ++i, dest += 3) {
        size_t k = i / 2;
        if (k < last)
            PutPixel<Swap, true>(dest, src + 3 * k);
        else
            PutPixel<Swap, false>(dest, src + 3 * k);
    }
    PutPixel<Swap, false>(dest, src + 3 * (size_t)(i / 2));
}

}  // namespace

void ScaleLine1(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    const BitGatherTable &table = Gather();
    size_t k = 0;  // the source bit the pixel before showed; pixel 0 shows bit 0
    TW_UINT32 i = 0;
    for (; i + 8 <= count; i += 8) {
        unsigned mask = NonZeroMask8(ruler + i);
        if (i > 0 && (mask & 1)) ++k;
        unsigned pattern = mask >> 1;
        unsigned advances = table.advances[pattern];
        // The bits this byte shows, k to k + advances; the next source byte
        // is read only when they reach into it.
        size_t at = k >> 3;
        unsigned shift = (unsigned)(k & 7);
        unsigned window = (unsigned)src[at] << 8;
        if (shift + advances >= 8) window |= src[at + 1];
        *dest++ = table.bytes[pattern][(window << shift) >> 8 & 0xFF];
        k += advances;
    }
    if (i == count) return;
    unsigned out = 0, filled = 0;
    for (; i < count; ++i, ++filled) {
        if (i > 0 && ruler[i] != 0) ++k;
        out = out << 1 | (src[k >> 3] >> (7 - (k & 7)) & 1);
    }
    *dest = (TW_UINT8)(out << (8 - filled));
}

void ScaleLine8(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    if (count == 0) return;
    size_t k = 0;
    dest[0] = src[0];
    TW_UINT32 i = 1;
    // Four pixels a turn: their source positions first, then four loads
    // and stores that do not wait on one another.
    for (; i + 4 <= count; i += 4) {
        size_t k0 = k + (size_t)ruler[i];
        size_t k1 = k0 + (size_t)ruler[i + 1];
        size_t k2 = k1 + (size_t)ruler[i + 2];
        size_t k3 = k2 + (size_t)ruler[i + 3];
        dest[i] = src[k0];
        dest[i + 1] = src[k1];
        dest[i + 2] = src[k2];
        dest[i + 3] = src[k3];
        k = k3;
    }
    for (; i < count; ++i) {
        k += (size_t)ruler[i];
        dest[i] = src[k];
    }
}

void ScaleLine24(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    ScaleLine24Order<false>(dest, src, ruler, count);
}

void ScaleLine24BGR(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count) {
    ScaleLine24Order<true>(dest, src, ruler, count);
}

void CopyLineBGR(TW_UINT8 *dest, const TW_UINT8 *src, TW_UINT32 pixels) {
    if (pixels == 0) return;
    TW_UINT32 x = 0;
    for (; x + 1 < pixels; ++x, src += 3, dest += 3) PutPixel<true, true>(dest, src);
    PutPixel<true, false>(dest, src);
}

void DoubleLine1(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *, TW_UINT16 count) {
    DoubleBits(dest, src, count);
}

void DoubleLine8(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *, TW_UINT16 count) {
    TW_UINT32 i = 0;
#if defined(__SSE2__)
    for (; i + 32 <= count; i += 32) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i / 2));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dest + i), _mm_unpacklo_epi8(bytes, bytes));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dest + i + 16), _mm_unpackhi_epi8(bytes, bytes));
    }
#endif
    for (; i < count; ++i) dest[i] = src[i / 2];
}

void DoubleLine24(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *, TW_UINT16 count) {
    DoubleLine24Order<false>(dest, src, count);
}

void DoubleLine24BGR(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *, TW_UINT16 count) {
    DoubleLine24Order<true>(dest, src, count);
}
