#include "sim_file_layout.h"

#include "sim_dib_format.h"

namespace {

const uint64_t kMaxFileBytes = 0xFFFFFFFFu;

enum TiffType : uint16_t { TIFF_SHORT = 3, TIFF_LONG = 4, TIFF_RATIONAL = 5 };

struct TiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;  // a SHORT sits in the first two bytes
};

bool IsColour(const SimImage &image) { return image.bitsPerPixel == 24; }

void PutEntry(uint8_t *p, const TiffEntry &e) {
    SimPutU16(p, e.tag);
    SimPutU16(p + 2, e.type);
    SimPutU32(p + 4, e.count);
    SimPutU32(p + 8, e.value);
}

void BuildBmp(const SimImage &image, uint64_t imageBytes, SimFileLayout *layout) {
    uint32_t paletteBytes = SimDibPaletteEntries(image.bitsPerPixel) * 4;
    uint32_t offBits = 14 + kSimDibHeaderBytes + paletteBytes;
    layout->head.assign(offBits, 0);
    uint8_t *p = layout->head.data();
    p[0] = 'B';
    p[1] = 'M';
    SimPutU32(p + 2, (uint32_t)(offBits + imageBytes));
    SimPutU32(p + 10, offBits);
    SimWriteDibHeader(image, (uint32_t)imageBytes, p + 14);
    SimWriteDibPalette(image.bitsPerPixel, p + 14 + kSimDibHeaderBytes);
}

// Header, directory, then the values that do not fit an entry: the
// resolutions (TIFF only) and the three BitsPerSample of colour.
void BuildTiff(const SimImage &image, bool scanFile, SimFileFault fault, SimFileLayout *layout) {
    const uint32_t dirOffset = scanFile ? 12 : 10;  // where the entries start
    const uint32_t entryCount = scanFile ? 9 : 12;
    const uint32_t valuesOffset = dirOffset + entryCount * 12 + 4;
    const uint32_t xResOffset = valuesOffset, yResOffset = valuesOffset + 8;
    const uint32_t bitsOffset = scanFile ? valuesOffset : valuesOffset + 16;
    const uint32_t dataOffset = bitsOffset + 8;  // six bytes of BitsPerSample, two of padding
    const bool colour = IsColour(image);
    const uint32_t dataBytes = image.rowBytes * (uint32_t)image.length;
    const uint16_t samples = colour ? 3 : 1;
    std::vector<TiffEntry> entries = {
        {256, TIFF_LONG, 1, (uint32_t)image.width},
        {257, TIFF_LONG, 1, (uint32_t)image.length},
        {258, TIFF_SHORT, samples, colour ? bitsOffset : (uint32_t)image.bitsPerPixel},
        {259, TIFF_SHORT, 1, 1},                 // no compression
        {262, TIFF_SHORT, 1, colour ? 2u : 1u},  // RGB, or black is zero
        {273, TIFF_LONG, 1, dataOffset},
        {277, TIFF_SHORT, 1, samples},
        {278, TIFF_LONG, 1, (uint32_t)image.length},
        {279, TIFF_LONG, 1, dataBytes},
    };
    if (!scanFile) {
        entries.push_back({282, TIFF_RATIONAL, 1, xResOffset});
        entries.push_back({283, TIFF_RATIONAL, 1, yResOffset});
        entries.push_back({296, TIFF_SHORT, 1, 2});  // inches
    }
    layout->head.assign(dataOffset, 0);
    uint8_t *p = layout->head.data();
    p[0] = p[1] = 'I';
    SimPutU16(p + 2, 42);
    SimPutU32(p + 4, 8);
    uint32_t at = dirOffset;
    uint16_t written = 0;
    for (const TiffEntry &e : entries) {
        if (fault == SIM_FILE_FAULT_NO_OFFSET && e.tag == 273) continue;
        PutEntry(p + at, e);
        at += 12;
        ++written;
    }
    SimPutU16(p + 8, fault == SIM_FILE_FAULT_BAD_COUNT ? 0xFFFF : written);
    if (!scanFile) {
        SimPutU32(p + xResOffset, image.resolution);
        SimPutU32(p + xResOffset + 4, 1);
        SimPutU32(p + yResOffset, image.resolution);
        SimPutU32(p + yResOffset + 4, 1);
    }
    for (int i = 0; colour && i < 3; ++i) SimPutU16(p + bitsOffset + 2 * i, 8);
}

}  // namespace

bool SimFileLayoutFor(const SimImage &image, SimFileKind kind, SimFileFault fault, SimFileLayout *layout) {
    int bits = image.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return false;
    // The data source reads its file as a byte per sample, or packed bits.
    if (kind == SIM_FILE_SCAN_TIFF && bits == 4) return false;
    bool bmp = kind == SIM_FILE_BMP;
    uint64_t stored = bmp ? SimDibStride(image) : image.rowBytes;
    uint64_t imageBytes = stored * (uint64_t)image.length;
    if (imageBytes + 2048 > kMaxFileBytes) return false;
    layout->storedRowBytes = (uint32_t)stored;
    layout->bottomUp = bmp;
    layout->bgr = bmp;
    if (bmp)
        BuildBmp(image, imageBytes, layout);
    else
        BuildTiff(image, kind == SIM_FILE_SCAN_TIFF, fault, layout);
    return true;
}
