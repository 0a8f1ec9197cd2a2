// The simulated scanner's "ramp" test pattern, and checks of the images the
// data source hands over in each of its forms against it. Each check returns
// an empty string when every pixel is right, else where the first one is not.
#ifndef QR_TESTS_WINDOWS_IMAGE_CHECK_H
#define QR_TESTS_WINDOWS_IMAGE_CHECK_H

#include "win32.h"

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

// Column x, row y (0 at the top) of page p of a job.
Rgb RampColour(uint32_t x, uint32_t y, uint32_t page);
uint8_t RampGrey(uint32_t x, uint32_t y, uint32_t page);

// What the image should be.
struct Expected {
    uint32_t width;
    uint32_t length;
    int bits;  // 24 colour, 8 grey
    uint32_t page;
};

// A packed DIB: header, palette, bottom-up rows padded to 4 bytes, BGR.
std::string CheckDib(const uint8_t *dib, size_t size, const Expected &expected);
// A BMP file: the file header, then a packed DIB.
std::string CheckBmpFile(const std::vector<uint8_t> &file, const Expected &expected);
// A TIFF file: uncompressed, top row first, RGB or grey.
std::string CheckTiffFile(const std::vector<uint8_t> &file, const Expected &expected);
// Rows of strips, top first, RGB or grey, `bytesPerRow` apart.
std::string CheckRows(const uint8_t *rows, uint32_t firstRow, uint32_t rowCount, uint32_t bytesPerRow,
                      const Expected &expected);

std::vector<uint8_t> ReadWholeFile(const std::string &path);

#endif
