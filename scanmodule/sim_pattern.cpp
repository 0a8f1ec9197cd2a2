#include "sim_pattern.h"

#include <string.h>

namespace {

// White, yellow, cyan, green, magenta, red, blue, black.
const SimRgb kBars[8] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                         {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

SimRgb Bar(int32_t x, int32_t width) {
    int index = width > 0 ? (int)((int64_t)x * 8 / width) : 0;
    return kBars[index & 7];
}

uint8_t Luma(SimRgb c) { return (uint8_t)((77 * c.r + 150 * c.g + 29 * c.b) >> 8); }

void RenderColour(const SimImage &image, int32_t y, bool bgr, uint8_t *out) {
    for (int32_t x = 0; x < image.width; ++x) {
        SimRgb c = SimPatternColour(image.pattern, x, y, image.page, image.width);
        out[0] = bgr ? c.b : c.r;
        out[1] = c.g;
        out[2] = bgr ? c.r : c.b;
        out += 3;
    }
}

void RenderGray8(const SimImage &image, int32_t y, uint8_t *out) {
    for (int32_t x = 0; x < image.width; ++x) out[x] = SimPatternGray(image.pattern, x, y, image.page, image.width);
}

void RenderGray4(const SimImage &image, int32_t y, uint8_t *out) {
    for (int32_t x = 0; x < image.width; ++x) {
        uint8_t nibble = SimPatternGray(image.pattern, x, y, image.page, image.width) >> 4;
        out[x / 2] |= (x % 2 == 0) ? (uint8_t)(nibble << 4) : nibble;
    }
}

void RenderBits(const SimImage &image, int32_t y, uint8_t *out) {
    for (int32_t x = 0; x < image.width; ++x) {
        if (SimPatternBit(image.pattern, x, y, image.page, image.width)) out[x / 8] |= (uint8_t)(0x80 >> (x % 8));
    }
}

}  // namespace

SimRgb SimPatternColour(SimPattern pattern, int32_t x, int32_t y, int page, int32_t width) {
    switch (pattern) {
    case SIM_PATTERN_BARS:
        return Bar(x, width);
    case SIM_PATTERN_WHITE:
        return {255, 255, 255};
    case SIM_PATTERN_BLACK:
        return {0, 0, 0};
    default:
        return {(uint8_t)(x + 2 * y + 37 * page), (uint8_t)(x + 5 * y + 11), (uint8_t)(3 * x + y + 101)};
    }
}

uint8_t SimPatternGray(SimPattern pattern, int32_t x, int32_t y, int page, int32_t width) {
    switch (pattern) {
    case SIM_PATTERN_BARS:
        return Luma(Bar(x, width));
    case SIM_PATTERN_WHITE:
        return 255;
    case SIM_PATTERN_BLACK:
        return 0;
    default:
        return (uint8_t)(x + 3 * y + 37 * page);
    }
}

int SimPatternBit(SimPattern pattern, int32_t x, int32_t y, int page, int32_t width) {
    switch (pattern) {
    case SIM_PATTERN_BARS:
        return Luma(Bar(x, width)) >= 128;
    case SIM_PATTERN_WHITE:
        return 1;
    case SIM_PATTERN_BLACK:
        return 0;
    default:
        return (x + y + page) % 3 == 0;
    }
}

void SimRenderRow(const SimImage &image, int32_t y, bool bgr, uint8_t *out) {
    memset(out, 0, image.rowBytes);
    switch (image.bitsPerPixel) {
    case 24:
        RenderColour(image, y, bgr, out);
        break;
    case 8:
        RenderGray8(image, y, out);
        break;
    case 4:
        RenderGray4(image, y, out);
        break;
    default:
        RenderBits(image, y, out);
        break;
    }
}
