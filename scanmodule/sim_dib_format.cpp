#include "sim_dib_format.h"

void SimPutU16(uint8_t *p, uint16_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

void SimPutU32(uint8_t *p, uint32_t v) {
    SimPutU16(p, (uint16_t)v);
    SimPutU16(p + 2, (uint16_t)(v >> 16));
}

uint32_t SimDibPaletteEntries(int bits) { return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0; }

uint64_t SimDibStride(const SimImage &image) { return ((uint64_t)image.width * image.bitsPerPixel + 31) / 32 * 4; }

void SimWriteDibHeader(const SimImage &image, uint32_t imageBytes, uint8_t *p) {
    uint32_t pelsPerMeter = image.resolution * 10000u / 254u;
    SimPutU32(p + 0, kSimDibHeaderBytes);
    SimPutU32(p + 4, (uint32_t)image.width);
    SimPutU32(p + 8, (uint32_t)image.length);  // positive: bottom-up
    SimPutU16(p + 12, 1);
    SimPutU16(p + 14, (uint16_t)image.bitsPerPixel);
    SimPutU32(p + 16, 0);  // BI_RGB
    SimPutU32(p + 20, imageBytes);
    SimPutU32(p + 24, pelsPerMeter);
    SimPutU32(p + 28, pelsPerMeter);
    SimPutU32(p + 32, SimDibPaletteEntries(image.bitsPerPixel));
    SimPutU32(p + 36, 0);
}

void SimWriteDibPalette(int bits, uint8_t *p) {
    uint32_t entries = SimDibPaletteEntries(bits);
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t level = (uint8_t)(i * 255 / (entries - 1));
        p[4 * i] = p[4 * i + 1] = p[4 * i + 2] = level;
        p[4 * i + 3] = bits == 1 && i == 1 ? 255 : 0;
    }
}
