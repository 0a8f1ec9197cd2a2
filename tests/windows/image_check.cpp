#include "image_check.h"

#include "tiff_read.h"

#include <stdio.h>
#include <string.h>

Rgb RampColour(uint32_t x, uint32_t y, uint32_t page) {
    return {static_cast<uint8_t>(x + 2 * y + 37 * page), static_cast<uint8_t>(x + 5 * y + 11),
            static_cast<uint8_t>(3 * x + y + 101)};
}

uint8_t RampGrey(uint32_t x, uint32_t y, uint32_t page) { return static_cast<uint8_t>(x + 3 * y + 37 * page); }

namespace {

std::string Where(uint32_t x, uint32_t y, const char *what, unsigned got, unsigned want) {
    char text[128];
    snprintf(text, sizeof text, "pixel (%u, %u) %s is %u, expected %u", x, y, what, got, want);
    return text;
}

// One row of pixels, left first, with the colour bytes in `order` (for
// instance "rgb" or "bgr"); grey rows have one byte per pixel.
std::string CheckRow(const uint8_t *row, uint32_t y, const char *order, const Expected &expected) {
    for (uint32_t x = 0; x < expected.width; ++x) {
        if (expected.bits == 8) {
            uint8_t want = RampGrey(x, y, expected.page);
            if (row[x] != want) return Where(x, y, "grey", row[x], want);
            continue;
        }
        Rgb want = RampColour(x, y, expected.page);
        for (int c = 0; c < 3; ++c) {
            uint8_t wanted = order[c] == 'r' ? want.r : order[c] == 'g' ? want.g : want.b;
            uint8_t got = row[3 * x + c];
            if (got != wanted)
                return Where(x, y, order[c] == 'r' ? "red" : order[c] == 'g' ? "green" : "blue", got, wanted);
        }
    }
    return "";
}

uint32_t PaddedRow(uint32_t width, int bits) { return ((width * static_cast<uint32_t>(bits) + 31) / 32) * 4; }

std::string CheckGreyPalette(const RGBQUAD *palette, uint32_t used) {
    if (used != 256) return "grey palette of " + std::to_string(used) + " entries";
    for (uint32_t i = 0; i < 256; ++i) {
        if (palette[i].rgbRed != i || palette[i].rgbGreen != i || palette[i].rgbBlue != i)
            return "grey palette entry " + std::to_string(i) + " is not grey " + std::to_string(i);
    }
    return "";
}

}  // namespace

std::string CheckDib(const uint8_t *dib, size_t size, const Expected &expected) {
    if (size < sizeof(BITMAPINFOHEADER)) return "DIB shorter than its header";
    BITMAPINFOHEADER header;
    memcpy(&header, dib, sizeof header);
    if (header.biSize != sizeof header) return "header size " + std::to_string(header.biSize);
    if (static_cast<uint32_t>(header.biWidth) != expected.width ||
        static_cast<uint32_t>(header.biHeight) != expected.length)
        return "DIB is " + std::to_string(header.biWidth) + " x " + std::to_string(header.biHeight);
    if (header.biBitCount != expected.bits) return "DIB has " + std::to_string(header.biBitCount) + " bits";
    uint32_t colours = expected.bits == 8 ? (header.biClrUsed ? header.biClrUsed : 256) : 0;
    size_t bitsAt = sizeof header + 4ull * colours;
    uint32_t stride = PaddedRow(expected.width, expected.bits);
    if (size < bitsAt + static_cast<size_t>(stride) * expected.length) return "DIB shorter than its rows";
    if (expected.bits == 8) {
        std::string palette = CheckGreyPalette(reinterpret_cast<const RGBQUAD *>(dib + sizeof header), colours);
        if (!palette.empty()) return palette;
    }
    for (uint32_t y = 0; y < expected.length; ++y) {
        const uint8_t *row = dib + bitsAt + static_cast<size_t>(stride) * (expected.length - 1 - y);
        std::string fault = CheckRow(row, y, "bgr", expected);
        if (!fault.empty()) return fault;
    }
    return "";
}

std::string CheckBmpFile(const std::vector<uint8_t> &file, const Expected &expected) {
    if (file.size() < 14 || file[0] != 'B' || file[1] != 'M') return "not a BMP file";
    uint32_t declared = file[2] | file[3] << 8 | file[4] << 16 | static_cast<uint32_t>(file[5]) << 24;
    if (declared != file.size())
        return "BMP header gives " + std::to_string(declared) + " bytes, file has " + std::to_string(file.size());
    return CheckDib(file.data() + 14, file.size() - 14, expected);
}

std::string CheckTiffFile(const std::vector<uint8_t> &file, const Expected &expected) {
    TiffImage image;
    std::string fault = ReadTiff(file, &image);
    if (!fault.empty()) return fault;
    if (image.width != expected.width || image.length != expected.length)
        return "TIFF is " + std::to_string(image.width) + " x " + std::to_string(image.length);
    uint32_t bits = image.samplesPerPixel * image.bitsPerSample;
    if (bits != static_cast<uint32_t>(expected.bits)) return "TIFF has " + std::to_string(bits) + " bits";
    uint32_t wantPhotometric = expected.bits == 24 ? 2 : 1;
    if (image.photometric != wantPhotometric) return "TIFF photometric " + std::to_string(image.photometric);
    uint32_t rowBytes = (expected.width * bits + 7) / 8;
    if (image.pixels.size() < static_cast<size_t>(rowBytes) * expected.length) return "TIFF shorter than its rows";
    return CheckRows(image.pixels.data(), 0, expected.length, rowBytes, expected);
}

std::string CheckRows(const uint8_t *rows, uint32_t firstRow, uint32_t rowCount, uint32_t bytesPerRow,
                      const Expected &expected) {
    for (uint32_t i = 0; i < rowCount; ++i) {
        std::string fault = CheckRow(rows + static_cast<size_t>(bytesPerRow) * i, firstRow + i, "rgb", expected);
        if (!fault.empty()) return fault;
    }
    return "";
}

std::vector<uint8_t> ReadWholeFile(const std::string &path) {
    std::vector<uint8_t> bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return bytes;
}
