// The pieces of a device-independent bitmap, shared by the DIB handed over
// in memory and the BMP file written for a file transfer: the 40-byte
// BITMAPINFOHEADER, the palette, and rows padded to four bytes.
#ifndef QR_SIM_DIB_FORMAT_H
#define QR_SIM_DIB_FORMAT_H

#include <stdint.h>

#include "sim_scanner.h"

const uint32_t kSimDibHeaderBytes = 40;

// 2, 16 or 256 entries for 1, 4 and 8 bits; 0 for colour.
uint32_t SimDibPaletteEntries(int bits);
// A stored row: the pixels padded to a multiple of four bytes.
uint64_t SimDibStride(const SimImage &image);
// The header of a bottom-up bitmap whose pixel array holds imageBytes.
void SimWriteDibHeader(const SimImage &image, uint32_t imageBytes, uint8_t *out);
// Grey ramps; for 1 bit black then white, whose reserved byte is 255 as the
// data source's own bitmaps have it.
void SimWriteDibPalette(int bits, uint8_t *out);

void SimPutU16(uint8_t *p, uint16_t v);
void SimPutU32(uint8_t *p, uint32_t v);

#endif
