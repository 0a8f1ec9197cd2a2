// Enlargement by pixel and line replication: the reduced ratio of requested
// to scanned resolution, the enlarged dimensions, and the 0/1 ruler that says
// for each output pixel or line whether the source advances. The per-depth
// line replicators are in line_replicators.h.
#ifndef QR_IMAGE_SCALING_H
#define QR_IMAGE_SCALING_H

#include "image_size.h"
#include "line_replicators.h"
#include "twain.h"

// Reduces num/den by their greatest common divisor; 0 (both unchanged) when
// num < den or den is not positive.
int MinDivable(TW_INT32 &num, TW_INT32 &den);
// value * num / den, truncated; 0 for a ratio that is not one.
TW_UINT32 ScaledSize(TW_INT32 num, TW_INT32 den, TW_UINT32 value);
// Fills total entries: entry i is 1 when output i shows the next source
// pixel or line. 0 (ruler untouched) when n < m.
int EvaluateScaleRuler(TW_INT32 *ruler, TW_INT32 n, TW_INT32 m, TW_INT32 total);

// The replicator for a depth of 1, 8 or 24 bits (colour kept as red, green,
// blue, or turned to blue, green, red for a bitmap) and a ruler made for the
// ratio num/den; null for other depths.
LineScaler ScalerForDepth(int bitsPerPixel, bool blueFirst, TW_INT32 num, TW_INT32 den);

#endif
