// The three files the simulator writes: a BMP and a TIFF for the
// application's file transfer, and the TIFF that the data source reads back
// a strip at a time in a memory transfer's file mode. That last one keeps its
// entry count at offset 8 and its 12-byte entries from offset 12, two bytes
// after the count, where the data source looks for them.
#ifndef QR_SIM_FILE_LAYOUT_H
#define QR_SIM_FILE_LAYOUT_H

#include <stdint.h>

#include <vector>

#include "sim_config.h"
#include "sim_scanner.h"

enum SimFileKind {
    SIM_FILE_BMP,
    SIM_FILE_TIFF,
    SIM_FILE_SCAN_TIFF,  // the memory transfer's file
};

struct SimFileLayout {
    std::vector<uint8_t> head;  // every byte in front of the first stored row
    uint32_t storedRowBytes;    // one row as stored, with a BMP's padding
    bool bottomUp;              // rows from the bottom line up (BMP)
    bool bgr;                   // colour as blue, green, red (BMP)
};

// The layout of `image` in a file of `kind`, with the fault's damage to the
// TIFF directory. False when the image has no form in that kind of file or
// is too large for 32-bit file offsets.
bool SimFileLayoutFor(const SimImage &image, SimFileKind kind, SimFileFault fault, SimFileLayout *layout);

#endif
