#include "bmp_file.h"

#include <algorithm>
#include <vector>

#include "output_file.h"

namespace {

const uint32_t kFileHeaderBytes = 14;
const uint32_t kInfoHeaderBytes = 40;

void FileHeader(uint8_t *p, uint64_t fileBytes, uint32_t offBits) {
    p[0] = 'B';
    p[1] = 'M';
    PutLE32(p + 2, (uint32_t)fileBytes);
    PutLE32(p + 6, 0);
    PutLE32(p + 10, offBits);
}

uint32_t PelsPerMeter(uint32_t dpi) { return (uint32_t)((uint64_t)dpi * 10000 / 254); }

uint32_t PaletteEntries(int bits) { return bits == 1 ? 2 : bits == 8 ? 256 : 0; }

std::vector<uint8_t> Headers(const RasterImage &image, uint64_t imageBytes) {
    uint32_t entries = PaletteEntries(image.bits);
    uint32_t offBits = kFileHeaderBytes + kInfoHeaderBytes + 4 * entries;
    std::vector<uint8_t> head(offBits, 0);
    uint8_t *p = head.data();
    FileHeader(p, offBits + imageBytes, offBits);
    uint8_t *info = p + kFileHeaderBytes;
    PutLE32(info, kInfoHeaderBytes);
    PutLE32(info + 4, image.width);
    PutLE32(info + 8, image.length);  // positive: bottom-up
    PutLE16(info + 12, 1);
    PutLE16(info + 14, (uint16_t)image.bits);
    PutLE32(info + 20, (uint32_t)imageBytes);
    PutLE32(info + 24, PelsPerMeter(image.xDpi));
    PutLE32(info + 28, PelsPerMeter(image.yDpi ? image.yDpi : image.xDpi));
    PutLE32(info + 32, entries);
    uint8_t *palette = info + kInfoHeaderBytes;
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t level = (uint8_t)(i * 255 / (entries - 1));
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = level;
    }
    return head;
}

void StoredRow(const RasterImage &image, uint32_t y, std::vector<uint8_t> *row) {
    const uint8_t *source = image.Row(y);
    uint32_t bytes = image.RowBytes();
    std::fill(row->begin(), row->end(), 0);
    if (image.bits != 24) {
        std::copy(source, source + bytes, row->begin());
        return;
    }
    for (uint32_t x = 0; x < image.width; ++x) {
        (*row)[3 * x] = source[3 * x + 2];
        (*row)[3 * x + 1] = source[3 * x + 1];
        (*row)[3 * x + 2] = source[3 * x];
    }
}

}  // namespace

bool WriteBmpFromDib(const std::string &path, const DibView &dib, std::string *error) {
    uint8_t head[kFileHeaderBytes];
    FileHeader(head, kFileHeaderBytes + dib.totalBytes, (uint32_t)(kFileHeaderBytes + dib.pixelOffset));
    OutputFile file;
    bool ok =
        file.Create(path) && file.Write(head, sizeof head) && file.Write(dib.bytes, dib.totalBytes) && file.Finish();
    if (!ok) *error = file.Error();
    return ok;
}

bool WriteBmpFromRaster(const std::string &path, const RasterImage &image, std::string *error) {
    uint64_t stride = PaddedRowBytes(image.width, image.bits);
    std::vector<uint8_t> head = Headers(image, stride * image.length);
    std::vector<uint8_t> row((size_t)stride);
    OutputFile file;
    bool ok = file.Create(path) && file.Write(head.data(), head.size());
    for (uint32_t i = 0; ok && i < image.length; ++i) {
        StoredRow(image, image.length - 1 - i, &row);
        ok = file.Write(row.data(), row.size());
    }
    ok = ok && file.Finish();
    if (!ok) *error = file.Error();
    return ok;
}
