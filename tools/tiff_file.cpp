#include "tiff_file.h"

#include <vector>

#include "output_file.h"

namespace {

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5 };

struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
};

const uint32_t kEntries = 12;
const uint32_t kDirectoryBytes = 2 + kEntries * 12 + 4;
const uint32_t kXRes = 8 + kDirectoryBytes;  // the values that do not fit an entry
const uint32_t kYRes = kXRes + 8;
const uint32_t kBits = kYRes + 8;
const uint32_t kData = kBits + 8;

std::vector<uint8_t> Head(const RasterImage &image) {
    bool colour = image.bits == 24;
    uint32_t dataBytes = image.RowBytes() * image.length;
    const Entry entries[kEntries] = {
        {256, kLong, 1, image.width},
        {257, kLong, 1, image.length},
        {258, kShort, colour ? 3u : 1u, colour ? kBits : (uint32_t)image.bits},
        {259, kShort, 1, 1},                 // no compression
        {262, kShort, 1, colour ? 2u : 1u},  // RGB, or black is zero
        {273, kLong, 1, kData},
        {277, kShort, 1, colour ? 3u : 1u},
        {278, kLong, 1, image.length},
        {279, kLong, 1, dataBytes},
        {282, kRational, 1, kXRes},
        {283, kRational, 1, kYRes},
        {296, kShort, 1, 2},  // inches
    };
    std::vector<uint8_t> head(kData, 0);
    uint8_t *p = head.data();
    p[0] = p[1] = 'I';
    PutLE16(p + 2, 42);
    PutLE32(p + 4, 8);
    PutLE16(p + 8, kEntries);
    for (uint32_t i = 0; i < kEntries; ++i) {
        uint8_t *e = p + 10 + 12 * i;
        PutLE16(e, entries[i].tag);
        PutLE16(e + 2, entries[i].type);
        PutLE32(e + 4, entries[i].count);
        PutLE32(e + 8, entries[i].value);
    }
    PutLE32(p + kXRes, image.xDpi ? image.xDpi : 72);
    PutLE32(p + kXRes + 4, 1);
    PutLE32(p + kYRes, image.yDpi ? image.yDpi : (image.xDpi ? image.xDpi : 72));
    PutLE32(p + kYRes + 4, 1);
    for (int i = 0; colour && i < 3; ++i) PutLE16(p + kBits + 2 * i, 8);
    return head;
}

}  // namespace

bool WriteTiff(const std::string &path, const RasterImage &image, std::string *error) {
    std::vector<uint8_t> head = Head(image);
    OutputFile file;
    bool ok = file.Create(path) && file.Write(head.data(), head.size()) &&
              file.Write(image.pixels.data(), (size_t)image.RowBytes() * image.length) && file.Finish();
    if (!ok) *error = file.Error();
    return ok;
}
