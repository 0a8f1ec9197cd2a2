#include "image_model.h"

#include "fake_scan_module.h"

#include <stdio.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

Bytes Image::Joined() const {
    Bytes all;
    for (const Bytes &row : rows) all.insert(all.end(), row.begin(), row.end());
    return all;
}

Image PatternImage(int width, int length, int bits) {
    Image image{width, length, bits, {}};
    for (int r = 0; r < length; ++r) {
        Bytes row(image.RowBytes());
        for (size_t b = 0; b < row.size(); ++b) row[b] = PatternByte((TW_UINT32)r, (TW_UINT32)b);
        image.rows.push_back(row);
    }
    return image;
}

static int SourceIndex(int i, int num, int den) { return (int)(((2 * (int64_t)i + 1) * den) / (2 * (int64_t)num)); }

static void CopyPixel(Bytes &to, int toIndex, const Bytes &from, int fromIndex, int bits) {
    if (bits == 1) {
        int bit = (from[fromIndex / 8] >> (7 - fromIndex % 8)) & 1;
        if (bit) to[toIndex / 8] |= (uint8_t)(0x80 >> (toIndex % 8));
        return;
    }
    int size = bits / 8;
    for (int k = 0; k < size; ++k) to[toIndex * size + k] = from[fromIndex * size + k];
}

Image Enlarged(const Image &source, int num, int den) {
    Image image{source.width * num / den, source.length * num / den, source.bits, {}};
    for (int r = 0; r < image.length; ++r) {
        const Bytes &from = source.rows[SourceIndex(r, num, den)];
        Bytes row(image.RowBytes(), 0);
        for (int i = 0; i < image.width; ++i) CopyPixel(row, i, from, SourceIndex(i, num, den), image.bits);
        image.rows.push_back(row);
    }
    return image;
}

static void Put16(Bytes &out, size_t at, uint32_t value) {
    out[at] = (uint8_t)value;
    out[at + 1] = (uint8_t)(value >> 8);
}
static void Put32(Bytes &out, size_t at, uint32_t value) {
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}

Bytes ExpectedDib(const Image &image, int xDpi, int yDpi) {
    uint32_t colours = image.bits == 1 ? 2 : image.bits == 8 ? 256 : 0;
    size_t stride = ((size_t)image.width * image.bits + 31) / 32 * 4;
    size_t pixelsAt = 40 + 4 * colours;
    Bytes dib(pixelsAt + stride * image.length, 0);
    Put32(dib, 0, 40);
    Put32(dib, 4, (uint32_t)image.width);
    Put32(dib, 8, (uint32_t)image.length);
    Put16(dib, 12, 1);
    Put16(dib, 14, (uint32_t)image.bits);
    Put32(dib, 20, (uint32_t)(stride * image.length));
    Put32(dib, 24, (uint32_t)(xDpi * 10000 / 254));  // truncated, not rounded
    Put32(dib, 28, (uint32_t)(yDpi * 10000 / 254));
    Put32(dib, 32, colours);
    for (uint32_t i = 0; i < colours; ++i) {
        uint8_t grey = image.bits == 1 ? (uint8_t)(i * 255) : (uint8_t)i;
        uint8_t reserved = image.bits == 1 ? grey : 0;  // white's reserved byte is 255
        dib[40 + 4 * i] = dib[41 + 4 * i] = dib[42 + 4 * i] = grey;
        dib[43 + 4 * i] = reserved;
    }
    for (int r = 0; r < image.length; ++r) {
        uint8_t *out = &dib[pixelsAt + stride * (size_t)(image.length - 1 - r)];  // bottom-up
        const Bytes &row = image.rows[r];
        for (size_t b = 0; b < row.size(); ++b)
            out[b] = image.bits == 24 ? row[b / 3 * 3 + 2 - b % 3] : row[b];  // blue, green, red
    }
    return dib;
}

Bytes ExpectedBmp(const Image &image, int xDpi, int yDpi) {
    Bytes dib = ExpectedDib(image, xDpi, yDpi);
    uint32_t colours = image.bits == 1 ? 2 : image.bits == 8 ? 256 : 0;
    Bytes bmp(14, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, (uint32_t)(14 + dib.size()));
    Put32(bmp, 10, 14 + 40 + 4 * colours);
    bmp.insert(bmp.end(), dib.begin(), dib.end());
    return bmp;
}

Bytes ExpectedTiff(const Image &image, int xDpi, int yDpi) {
    bool rgb = image.bits == 24;
    uint32_t stripBytes = (uint32_t)(image.RowBytes() * image.length);
    Bytes tiff(180, 0);
    tiff[0] = tiff[1] = 'I';
    Put16(tiff, 2, 42);
    Put32(tiff, 4, 8);
    Put16(tiff, 8, 12);
    struct {
        uint16_t tag, type;
        uint32_t count, value;
    } const entries[12] = {
        {256, 4, 1, (uint32_t)image.width},
        {257, 4, 1, (uint32_t)image.length},
        {258, 3, rgb ? 3u : 1u, rgb ? 174u : (uint32_t)image.bits},
        {259, 3, 1, 1},
        {262, 3, 1, rgb ? 2u : 1u},
        {273, 4, 1, 180},
        {277, 3, 1, rgb ? 3u : 1u},
        {278, 4, 1, (uint32_t)image.length},
        {279, 4, 1, stripBytes},
        {282, 5, 1, 158},
        {283, 5, 1, 166},
        {296, 3, 1, 2},
    };
    for (int i = 0; i < 12; ++i) {
        size_t at = 10 + 12 * (size_t)i;
        Put16(tiff, at, entries[i].tag);
        Put16(tiff, at + 2, entries[i].type);
        Put32(tiff, at + 4, entries[i].count);
        if (entries[i].type == 3)
            Put16(tiff, at + 8, entries[i].value);
        else
            Put32(tiff, at + 8, entries[i].value);
    }
    Put32(tiff, 158, xDpi > 0 ? (uint32_t)xDpi : 114u);  // 114 when the scan has none
    Put32(tiff, 162, 1);
    Put32(tiff, 166, yDpi > 0 ? (uint32_t)yDpi : 114u);
    Put32(tiff, 170, 1);
    if (rgb)
        for (int i = 0; i < 3; ++i) Put16(tiff, 174 + 2 * (size_t)i, 8);
    Bytes data = image.Joined();
    tiff.insert(tiff.end(), data.begin(), data.end());
    return tiff;
}

Bytes ReadFileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string &path, const Bytes &bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), (long)bytes.size());
}

// The command's output and exit status.
static int Run(const std::string &command, std::string *output) {
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) *output += buffer;
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string DecodeAndCompare(const std::string &file, const Image &expected, const std::string &scratchFolder,
                             int dpi) {
    if (std::string(QR_SYSTEM_PYTHON).empty() || std::string(QR_TIFFINFO).empty() || std::string(QR_TIFFDUMP).empty())
        return "the decoders are missing: install python3-pil (for /usr/bin/python3) and libtiff-tools";
    std::string raw = scratchFolder + "/expected.raw";
    WriteFileBytes(raw, expected.Joined());
    std::string command = std::string("'") + QR_SYSTEM_PYTHON + "' '" + QR_COMPARE_SCRIPT + "' '" + file + "' '" + raw +
                          "' " + std::to_string(expected.width) + " " + std::to_string(expected.length) + " " +
                          std::to_string(expected.bits) + " --tiffinfo '" + QR_TIFFINFO + "' --tiffdump '" +
                          QR_TIFFDUMP + "'";
    if (dpi > 0) command += " --dpi " + std::to_string(dpi) + " " + std::to_string(dpi);
    std::string output;
    int status = Run(command, &output);
    remove(raw.c_str());
    return status == 0 ? std::string() : "exit status " + std::to_string(status) + ": " + output;
}
