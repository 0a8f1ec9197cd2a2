// What a transfer should deliver, worked out by the tests on their own: the
// fake scanner's pattern, its enlargement, and the bytes of the bitmaps and
// files the data source makes of it. Plus a check by independent decoders.
#ifndef QR_TESTS_DS_IMAGE_MODEL_H
#define QR_TESTS_DS_IMAGE_MODEL_H

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// Rows top-down, unpadded; 1-bit pixels packed from the high bit, 24-bit
// pixels red, green, blue.
struct Image {
    int width = 0;
    int length = 0;
    int bits = 0;
    std::vector<Bytes> rows;

    size_t RowBytes() const { return ((size_t)width * bits + 7) / 8; }
    Bytes Joined() const;
};

// The fake scan module's image: PatternByte in every byte of every row.
Image PatternImage(int width, int length, int bits);
// Enlarged by num/den: output pixel (and line) i shows source pixel (line)
// floor((2i + 1) den / 2 num), the one under its centre.
Image Enlarged(const Image &source, int num, int den);

// The packed bitmap of the native transfer, and the BMP file around it.
Bytes ExpectedDib(const Image &image, int xDpi, int yDpi);
Bytes ExpectedBmp(const Image &image, int xDpi, int yDpi);
// The TIFF file of the file transfer: the fixed 180-byte front, then the rows;
// its resolution that of the scan (114 dpi when the scan reports none).
Bytes ExpectedTiff(const Image &image, int xDpi, int yDpi);

Bytes ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const Bytes &bytes);

// Decodes `file` with Pillow (and a TIFF with libtiff's tiffinfo and
// tiffdump too) and compares every pixel with `expected`, and, when `dpi` is
// given, the resolution they report. Empty when they agree, else what the
// decoders said.
std::string DecodeAndCompare(const std::string &file, const Image &expected, const std::string &scratchFolder,
                             int dpi = 0);

#endif
