// The test pattern. Every value depends on the column, the row, the channel
// and the page, so that a row out of place, two channels swapped or bits in
// the wrong order show up as a wrong byte. README.md gives the formulas.
#ifndef QR_SIM_PATTERN_H
#define QR_SIM_PATTERN_H

#include <stdint.h>

#include "sim_scanner.h"

struct SimRgb {
    uint8_t r, g, b;
};

SimRgb SimPatternColour(SimPattern pattern, int32_t x, int32_t y, int page, int32_t width);
uint8_t SimPatternGray(SimPattern pattern, int32_t x, int32_t y, int page, int32_t width);
// 1 is white.
int SimPatternBit(SimPattern pattern, int32_t x, int32_t y, int page, int32_t width);

// Row `y` of the page as rowBytes bytes: 1- and 4-bit pixels packed from the
// most significant bit, 24-bit pixels in red, green, blue order, or blue,
// green, red when `bgr` is set (for a DIB). The unused low bits of the last
// byte are zero.
void SimRenderRow(const SimImage &image, int32_t y, bool bgr, uint8_t *out);

#endif
