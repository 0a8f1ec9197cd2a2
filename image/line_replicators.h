// The per-depth line replicators of enlargement, and the colour-order copy of
// a bitmap row. They run once per source line of every transfer, so they work
// a byte or a word at a time; they read no source byte beyond the last pixel
// they show and write nothing beyond the last output pixel.
#ifndef QR_IMAGE_LINE_REPLICATORS_H
#define QR_IMAGE_LINE_REPLICATORS_H

#include "twain.h"

// Each writes `count` output pixels of one line from `src` following the
// ruler: output pixel i shows source pixel k(i), with k(0) = 0 and k(i) =
// k(i - 1) + ruler[i] (ScaleLine1: + 1 when ruler[i] is not 0). A 1-bit line
// that ends in a part byte has zeros in that byte's low bits.
typedef void (*LineScaler)(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);
void ScaleLine1(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);
void ScaleLine8(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);
void ScaleLine24(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);
void ScaleLine24BGR(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);

// The same for the ruler of a doubling (ratio 2/1: 1, 0, 1, 0, ...), which
// they do not read: output pixel i shows source pixel i / 2. The commonest
// enlargements (300 to 600 dpi, 600 to 1200) replicate whole bytes this way
// instead of reading four bytes of ruler for every output pixel.
void DoubleLine1(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);
void DoubleLine8(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);
void DoubleLine24(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);
void DoubleLine24BGR(TW_UINT8 *dest, const TW_UINT8 *src, const TW_INT32 *ruler, TW_UINT16 count);

// `pixels` 24-bit pixels from red, green, blue to blue, green, red.
void CopyLineBGR(TW_UINT8 *dest, const TW_UINT8 *src, TW_UINT32 pixels);

#endif
