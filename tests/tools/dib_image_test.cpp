// Reading a native transfer's bitmap: every size is checked against the
// block before anything is read, and the rows come out top-down in the
// byte order of strips.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "dib_image.h"

namespace {

void Put32(std::vector<uint8_t> *b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = (uint8_t)(v >> (8 * i));
}

// A DIB of `width` x `height` at `bits` with a grey ramp palette (or the
// one given) and zero pixels.
std::vector<uint8_t> MakeDib(int32_t width, int32_t height, int bits, std::vector<uint32_t> palette = {}) {
    uint32_t entries = bits <= 8 ? 1u << bits : 0;
    if (!palette.empty()) entries = (uint32_t)palette.size();
    uint32_t stride = ((uint32_t)width * bits + 31) / 32 * 4;
    uint32_t rows = (uint32_t)(height < 0 ? -height : height);
    std::vector<uint8_t> b(40 + 4 * entries + stride * rows, 0);
    Put32(&b, 0, 40);
    Put32(&b, 4, (uint32_t)width);
    Put32(&b, 8, (uint32_t)height);
    b[12] = 1;
    b[14] = (uint8_t)bits;
    Put32(&b, 24, 3937);  // 100 dpi
    Put32(&b, 28, 3937);
    Put32(&b, 32, entries);
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t colour = palette.empty() ? (i * 255 / (entries - 1)) * 0x010101u : palette[i];
        Put32(&b, 40 + 4 * i, colour);
    }
    return b;
}

}  // namespace

TEST(DibImage, ReadsTheHeaderAndRoundsTheResolution) {
    std::vector<uint8_t> b = MakeDib(10, 3, 24);
    DibView dib;
    std::string error;
    ASSERT_TRUE(ReadDib(b.data(), b.size(), &dib, &error)) << error;
    EXPECT_EQ(dib.width, 10u);
    EXPECT_EQ(dib.height, 3u);
    EXPECT_FALSE(dib.topDown);
    EXPECT_EQ(dib.stride, 32u);
    EXPECT_EQ(dib.pixelOffset, 40u);
    EXPECT_EQ(dib.totalBytes, 40u + 96u);
    EXPECT_EQ(dib.xDpi, 100u) << "3937 pixels per metre is 100 dpi, not 99";
}

TEST(DibImage, RefusesBitmapsThatDoNotFitTheirBlock) {
    std::vector<uint8_t> b = MakeDib(10, 3, 8);
    DibView dib;
    std::string error;
    EXPECT_FALSE(ReadDib(b.data(), b.size() - 1, &dib, &error)) << "one byte short of the last row";
    EXPECT_FALSE(ReadDib(b.data(), 39, &dib, &error));
    EXPECT_FALSE(ReadDib(nullptr, 0, &dib, &error));
    std::vector<uint8_t> huge = MakeDib(10, 3, 8);
    Put32(&huge, 8, 0x7FFFFFFF);
    EXPECT_FALSE(ReadDib(huge.data(), huge.size(), &dib, &error)) << "a height whose size overflows";
    std::vector<uint8_t> header = MakeDib(10, 3, 8);
    Put32(&header, 0, 0x10000000);
    EXPECT_FALSE(ReadDib(header.data(), header.size(), &dib, &error)) << "biSize beyond the block";
    std::vector<uint8_t> palette = MakeDib(10, 3, 8);
    Put32(&palette, 32, 257);
    EXPECT_FALSE(ReadDib(palette.data(), palette.size(), &dib, &error)) << "more colours than 8 bits have";
}

TEST(DibImage, RefusesWhatItCannotDecode) {
    DibView dib;
    std::string error;
    std::vector<uint8_t> rle = MakeDib(8, 2, 8);
    Put32(&rle, 16, 1);  // BI_RLE8
    EXPECT_FALSE(ReadDib(rle.data(), rle.size(), &dib, &error));
    std::vector<uint8_t> sixteen = MakeDib(8, 2, 24);
    sixteen[14] = 16;
    EXPECT_FALSE(ReadDib(sixteen.data(), sixteen.size(), &dib, &error));
    std::vector<uint8_t> empty = MakeDib(8, 2, 24);
    Put32(&empty, 4, 0);
    EXPECT_FALSE(ReadDib(empty.data(), empty.size(), &dib, &error));
}

TEST(DibImage, BottomUpColourBecomesTopDownRgb) {
    std::vector<uint8_t> b = MakeDib(2, 2, 24);
    const uint8_t bottom[6] = {1, 2, 3, 4, 5, 6}, top[6] = {7, 8, 9, 10, 11, 12};  // blue, green, red
    memcpy(&b[40], bottom, 6);
    memcpy(&b[48], top, 6);
    DibView dib;
    RasterImage image;
    std::string error;
    ASSERT_TRUE(ReadDib(b.data(), b.size(), &dib, &error));
    ASSERT_TRUE(DibToRaster(dib, &image, &error)) << error;
    const uint8_t want[12] = {9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4};
    ASSERT_EQ(image.pixels.size(), 12u);
    EXPECT_EQ(memcmp(image.pixels.data(), want, 12), 0);
}

TEST(DibImage, TopDownRowsStayInOrder) {
    std::vector<uint8_t> b = MakeDib(4, -2, 8);
    size_t at = 40 + 1024;
    b[at] = 11;  // first stored row: the top one
    b[at + 4] = 22;
    DibView dib;
    RasterImage image;
    std::string error;
    ASSERT_TRUE(ReadDib(b.data(), b.size(), &dib, &error));
    EXPECT_TRUE(dib.topDown);
    ASSERT_TRUE(DibToRaster(dib, &image, &error));
    EXPECT_EQ(image.Row(0)[0], 11);
    EXPECT_EQ(image.Row(1)[0], 22);
}

TEST(DibImage, OneBitKeepsWhiteAsOneWhateverThePaletteOrder) {
    std::vector<uint8_t> b = MakeDib(10, 1, 1, {0xFFFFFF, 0x000000});  // white first
    b[48] = 0xF0;
    b[49] = 0xC0;
    DibView dib;
    RasterImage image;
    std::string error;
    ASSERT_TRUE(ReadDib(b.data(), b.size(), &dib, &error));
    ASSERT_TRUE(DibToRaster(dib, &image, &error));
    EXPECT_EQ(image.bits, 1);
    EXPECT_EQ(image.Row(0)[0], 0x0F);
    EXPECT_EQ(image.Row(0)[1], 0x00) << "inverted, and the bits past the width cleared";
}

TEST(DibImage, FourBitGreyWidensAndColouredPalettesAreRefused) {
    std::vector<uint8_t> b = MakeDib(3, 1, 4);
    b[40 + 16 * 4] = 0x1F;  // the first row, after 16 palette entries
    DibView dib;
    RasterImage image;
    std::string error;
    ASSERT_TRUE(ReadDib(b.data(), b.size(), &dib, &error));
    ASSERT_TRUE(DibToRaster(dib, &image, &error));
    EXPECT_EQ(image.bits, 8);
    EXPECT_EQ(image.Row(0)[0], 17) << "entry 1 of the 16-level ramp";
    EXPECT_EQ(image.Row(0)[1], 255);

    std::vector<uint8_t> colour = MakeDib(2, 1, 8, std::vector<uint32_t>(256, 0x0000FF));
    ASSERT_TRUE(ReadDib(colour.data(), colour.size(), &dib, &error));
    EXPECT_FALSE(DibToRaster(dib, &image, &error));
}
