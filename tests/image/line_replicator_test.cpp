// The replicators read and write a word at a time; these tests hold them to
// the pixel-at-a-time rule byte for byte, for the rulers enlargement makes,
// with each source line ending where an unreadable page begins and the bytes
// after each output line watched.
#include "line_replicators.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// The ruler of ratio n/m: output i shows source floor((2i + 1) m / 2n).
std::vector<TW_INT32> Ruler(int n, int m, int count) {
    std::vector<TW_INT32> ruler(count > 0 ? count : 1, 0);
    long previous = 0;
    for (int i = 0; i < count; ++i) {
        long shown = (2L * i + 1) * m / (2L * n);
        ruler[i] = i == 0 ? 1 : (TW_INT32)(shown - previous);
        previous = shown;
    }
    return ruler;
}

// The source pixel each output pixel shows.
std::vector<size_t> Shown(const std::vector<TW_INT32> &ruler, int count) {
    std::vector<size_t> shown(count);
    for (int i = 1; i < count; ++i) shown[i] = shown[i - 1] + (ruler[i] != 0);
    return shown;
}

// The replicated line, pixel by pixel.
std::vector<TW_UINT8> Model(const std::vector<TW_UINT8> &src, const std::vector<TW_INT32> &ruler, int count, int bits,
                            bool swap) {
    std::vector<size_t> shown = Shown(ruler, count);
    std::vector<TW_UINT8> out(((size_t)count * bits + 7) / 8, 0);
    for (int i = 0; i < count; ++i) {
        size_t k = shown[i];
        if (bits == 1) {
            out[i / 8] |= (TW_UINT8)(((src[k / 8] >> (7 - k % 8)) & 1) << (7 - i % 8));
        } else if (bits == 8) {
            out[i] = src[k];
        } else {
            for (int c = 0; c < 3; ++c) out[3 * i + c] = src[3 * k + (swap ? 2 - c : c)];
        }
    }
    return out;
}

// A source line of exactly `bytes` bytes whose end touches a page that
// cannot be read: a read past the line faults.
class GuardedLine {
public:
    explicit GuardedLine(size_t bytes) : page_((size_t)sysconf(_SC_PAGESIZE)) {
        mapped_ = (bytes + page_ - 1) / page_ * page_ + page_;
        void *mapped = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = mapped == MAP_FAILED ? nullptr : static_cast<TW_UINT8 *>(mapped);
        if (base_) mprotect(base_ + mapped_ - page_, page_, PROT_NONE);
        line_ = base_ ? base_ + mapped_ - page_ - bytes : nullptr;
    }
    ~GuardedLine() {
        if (base_) munmap(base_, mapped_);
    }
    TW_UINT8 *data() { return line_; }

private:
    size_t page_, mapped_ = 0;
    TW_UINT8 *base_ = nullptr, *line_ = nullptr;
};

struct Ratio {
    int n, m;
};
const Ratio kRatios[] = {{1, 1}, {2, 1}, {3, 2}, {4, 3}, {8, 3}, {5, 4}, {7, 2}, {1200, 1199}, {4, 1}};

// The source pixels a line of `count` output pixels reads.
size_t SourcePixels(const std::vector<TW_INT32> &ruler, int count) { return Shown(ruler, count)[count - 1] + 1; }

void ExpectReplicates(LineScaler scale, int bits, bool swap, bool doublingOnly = false) {
    std::mt19937 random(bits * 7 + swap);
    for (const Ratio &ratio : kRatios) {
        if (doublingOnly && !(ratio.n == 2 && ratio.m == 1)) continue;
        for (int count : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 64, 65, 250, 1001, 9920}) {
            SCOPED_TRACE(testing::Message() << ratio.n << "/" << ratio.m << ", " << count << " pixels");
            std::vector<TW_INT32> ruler = Ruler(ratio.n, ratio.m, count);
            size_t sourceBytes = (SourcePixels(ruler, count) * bits + 7) / 8;
            GuardedLine line(sourceBytes);
            ASSERT_NE(line.data(), nullptr);
            std::vector<TW_UINT8> src(sourceBytes);
            for (TW_UINT8 &b : src) b = (TW_UINT8)random();
            std::copy(src.begin(), src.end(), line.data());

            std::vector<TW_UINT8> expected = Model(src, ruler, count, bits, swap);
            std::vector<TW_UINT8> dest(expected.size() + 8, 0xA5);
            scale(dest.data(), line.data(), ruler.data(), (TW_UINT16)count);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), dest.begin())) << "the line differs";
            for (size_t i = expected.size(); i < dest.size(); ++i)
                ASSERT_EQ(dest[i], 0xA5) << "written past the line at byte " << i;
        }
    }
}

TEST(LineReplicators, OneBitLinesMatchThePixelRuleAndEndInZeroBits) { ExpectReplicates(ScaleLine1, 1, false); }
TEST(LineReplicators, EightBitLinesMatchThePixelRule) { ExpectReplicates(ScaleLine8, 8, false); }
TEST(LineReplicators, ColourLinesKeepRedGreenBlue) { ExpectReplicates(ScaleLine24, 24, false); }
TEST(LineReplicators, BitmapColourLinesTurnToBlueGreenRed) { ExpectReplicates(ScaleLine24BGR, 24, true); }

TEST(LineReplicators, DoublingsMatchTheRuleOfTheirRuler) {
    ExpectReplicates(DoubleLine1, 1, false, true);
    ExpectReplicates(DoubleLine8, 8, false, true);
    ExpectReplicates(DoubleLine24, 24, false, true);
    ExpectReplicates(DoubleLine24BGR, 24, true, true);
}

TEST(LineReplicators, NoPixelsWriteNothing) {
    TW_UINT8 dest[4] = {1, 2, 3, 4};
    const TW_UINT8 src[4] = {9, 9, 9, 9};
    const TW_INT32 ruler[1] = {1};
    const LineScaler all[] = {ScaleLine1,  ScaleLine8,  ScaleLine24,  ScaleLine24BGR,
                              DoubleLine1, DoubleLine8, DoubleLine24, DoubleLine24BGR};
    for (LineScaler scale : all) scale(dest, src, ruler, 0);
    EXPECT_EQ(dest[0], 1);
    EXPECT_EQ(dest[3], 4);
}

TEST(CopyLineBGR, TurnsEveryPixelAndStopsAtTheLastByte) {
    std::mt19937 random(3);
    for (TW_UINT32 pixels : {1u, 2u, 3u, 4u, 5u, 100u, 9921u}) {
        SCOPED_TRACE(pixels);
        GuardedLine line(3 * pixels);
        ASSERT_NE(line.data(), nullptr);
        for (size_t i = 0; i < 3 * pixels; ++i) line.data()[i] = (TW_UINT8)random();
        std::vector<TW_UINT8> dest(3 * pixels + 4, 0xA5);
        CopyLineBGR(dest.data(), line.data(), pixels);
        for (TW_UINT32 x = 0; x < pixels; ++x)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(dest[3 * x + c], line.data()[3 * x + 2 - c]) << "pixel " << x;
        for (size_t i = 3 * pixels; i < dest.size(); ++i) ASSERT_EQ(dest[i], 0xA5) << "written past the row";
    }
}

}  // namespace
