// Reads the few TIFF files the data source writes: little-endian, one image,
// uncompressed, chunky samples, in any number of strips.
#ifndef QR_TESTS_WINDOWS_TIFF_READ_H
#define QR_TESTS_WINDOWS_TIFF_READ_H

#include <stdint.h>
#include <string>
#include <vector>

struct TiffImage {
    uint32_t width = 0;
    uint32_t length = 0;
    uint32_t samplesPerPixel = 0;
    uint32_t bitsPerSample = 0;
    uint32_t photometric = 0;
    uint32_t compression = 0;
    std::vector<uint8_t> pixels;  // rows top first, each ceil(width * bits / 8) bytes
};

// Empty on success, else what is wrong with the file.
std::string ReadTiff(const std::vector<uint8_t> &file, TiffImage *image);

#endif
