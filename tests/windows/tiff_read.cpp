#include "tiff_read.h"

namespace {

class Reader {
public:
    explicit Reader(const std::vector<uint8_t> &file) : file_(file) {}
    bool Has(uint64_t offset, uint64_t bytes) const { return offset + bytes <= file_.size(); }
    uint32_t U16(uint64_t at) const { return Has(at, 2) ? file_[at] | file_[at + 1] << 8 : 0; }
    uint32_t U32(uint64_t at) const { return Has(at, 4) ? U16(at) | U16(at + 2) << 16 : 0; }

private:
    const std::vector<uint8_t> &file_;
};

const uint16_t kShort = 3, kLong = 4;

struct Entry {
    uint32_t tag, type, count, valueAt;
};

// The n-th value of an entry: in the entry itself when it fits, else at the
// offset the entry holds.
uint32_t ValueOf(const Reader &in, const Entry &entry, uint32_t n) {
    uint32_t size = entry.type == kShort ? 2 : 4;
    uint64_t base = entry.count * size <= 4 ? entry.valueAt : in.U32(entry.valueAt);
    return size == 2 ? in.U16(base + 2ull * n) : in.U32(base + 4ull * n);
}

}  // namespace

std::string ReadTiff(const std::vector<uint8_t> &file, TiffImage *image) {
    Reader in(file);
    if (file.size() < 8 || file[0] != 'I' || file[1] != 'I' || in.U16(2) != 42) return "not a little-endian TIFF";
    uint32_t ifd = in.U32(4);
    uint32_t count = in.U16(ifd);
    if (!in.Has(ifd, 2 + 12ull * count)) return "directory runs past the end";
    std::vector<uint32_t> offsets, byteCounts;
    image->samplesPerPixel = 1;
    image->bitsPerSample = 1;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = ifd + 2 + 12ull * i;
        Entry entry = {in.U16(at), in.U16(at + 2), in.U32(at + 4), static_cast<uint32_t>(at + 8)};
        if (entry.type != kShort && entry.type != kLong) continue;
        switch (entry.tag) {
        case 256:
            image->width = ValueOf(in, entry, 0);
            break;
        case 257:
            image->length = ValueOf(in, entry, 0);
            break;
        case 258:
            image->bitsPerSample = ValueOf(in, entry, 0);
            break;
        case 259:
            image->compression = ValueOf(in, entry, 0);
            break;
        case 262:
            image->photometric = ValueOf(in, entry, 0);
            break;
        case 277:
            image->samplesPerPixel = ValueOf(in, entry, 0);
            break;
        case 273:
        case 279: {
            std::vector<uint32_t> &list = entry.tag == 273 ? offsets : byteCounts;
            for (uint32_t n = 0; n < entry.count && n < 100000; ++n) list.push_back(ValueOf(in, entry, n));
            break;
        }
        default:
            break;
        }
    }
    if (image->compression != 1) return "compressed (" + std::to_string(image->compression) + ")";
    if (offsets.empty() || offsets.size() != byteCounts.size()) return "strip offsets and counts do not match";
    for (size_t s = 0; s < offsets.size(); ++s) {
        if (!in.Has(offsets[s], byteCounts[s])) return "strip " + std::to_string(s) + " runs past the end";
        image->pixels.insert(image->pixels.end(), file.begin() + offsets[s], file.begin() + offsets[s] + byteCounts[s]);
    }
    return "";
}
