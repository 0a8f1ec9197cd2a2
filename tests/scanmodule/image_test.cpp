// The images the simulator delivers: every byte checked against the pattern
// as README.md defines it, written out again here.
#include <string.h>

#include <vector>

#include "sm_fixture.h"

namespace {

uint8_t Red(int x, int y, int page) { return (uint8_t)(x + 2 * y + 37 * page); }
uint8_t Green(int x, int y) { return (uint8_t)(x + 5 * y + 11); }
uint8_t Blue(int x, int y) { return (uint8_t)(3 * x + y + 101); }
uint8_t Gray(int x, int y, int page) { return (uint8_t)(x + 3 * y + 37 * page); }
bool White(int x, int y, int page) { return (x + y + page) % 3 == 0; }

uint32_t U32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t U16(const uint8_t *p) { return (uint16_t)(p[0] | p[1] << 8); }

struct Dib {
    std::vector<uint8_t> bytes;
    const uint8_t *header() const { return bytes.data(); }
};

Dib TakeDib(const SmOps &ops, TW_INT16 *status) {
    HGLOBAL handle = nullptr;
    *status = ops.GetSMImage_DIB(&handle);
    Dib dib;
    if (!handle) return dib;
    const uint8_t *p = (const uint8_t *)GlobalLock(handle);
    dib.bytes.assign(p, p + GlobalSize(handle));
    GlobalUnlock(handle);
    GlobalFree(handle);
    return dib;
}

TW_IMAGEMEMXFER StripRequest(uint32_t length) {
    TW_IMAGEMEMXFER request{};
    request.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    request.Memory.Length = length;
    return request;
}

const char kSmall[] = "Resolution=100\nWidth=5\nHeight=3\n";

}  // namespace

TEST_F(ScanModuleTest, ColourDibIsBottomUpBgrWithPaddedRows) {
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kSmall) + "PixelType=2\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_INT16 status;
    Dib dib = TakeDib(ops_, &status);
    ASSERT_EQ(status, SM_DONE);
    const uint32_t stride = 16;  // 15 bytes of pixels, one of padding
    ASSERT_EQ(dib.bytes.size(), 40 + stride * 3);
    const uint8_t *h = dib.header();
    EXPECT_EQ(U32(h), 40u);
    EXPECT_EQ(U32(h + 4), 5u);
    EXPECT_EQ(U32(h + 8), 3u);
    EXPECT_EQ(U16(h + 12), 1);
    EXPECT_EQ(U16(h + 14), 24);
    EXPECT_EQ(U32(h + 16), 0u);
    EXPECT_EQ(U32(h + 20), stride * 3);
    EXPECT_EQ(U32(h + 24), 3937u);  // 100 dpi in pixels per metre, truncated
    EXPECT_EQ(U32(h + 32), 0u);
    for (int y = 0; y < 3; ++y) {
        const uint8_t *row = h + 40 + (2 - y) * stride;  // the top line is stored last
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(row[3 * x], Blue(x, y)) << x << "," << y;
            EXPECT_EQ(row[3 * x + 1], Green(x, y)) << x << "," << y;
            EXPECT_EQ(row[3 * x + 2], Red(x, y, 0)) << x << "," << y;
        }
        EXPECT_EQ(row[15], 0) << "padding";
    }
}

TEST_F(ScanModuleTest, OneBitDibPacksFromTheHighBitWithBlackWhitePalette) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=10\nHeight=4\nPixelType=0\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_INT16 status;
    Dib dib = TakeDib(ops_, &status);
    ASSERT_EQ(status, SM_DONE);
    ASSERT_EQ(dib.bytes.size(), 40 + 8 + 4 * 4u);
    const uint8_t *h = dib.header();
    EXPECT_EQ(U16(h + 14), 1);
    EXPECT_EQ(U32(h + 32), 2u);
    const uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 255};
    EXPECT_EQ(memcmp(h + 40, palette, 8), 0);
    for (int y = 0; y < 4; ++y) {
        const uint8_t *row = h + 48 + (3 - y) * 4;
        for (int x = 0; x < 10; ++x) {
            bool bit = (row[x / 8] >> (7 - x % 8)) & 1;
            EXPECT_EQ(bit, White(x, y, 0)) << x << "," << y;
        }
        EXPECT_EQ(row[1] & 0x3F, 0) << "unused low bits";
        EXPECT_EQ(row[2] | row[3], 0);
    }
}

TEST_F(ScanModuleTest, GreyDibHas256GreyEntries) {
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kSmall) + "PixelType=1\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_INT16 status;
    Dib dib = TakeDib(ops_, &status);
    ASSERT_EQ(status, SM_DONE);
    ASSERT_EQ(dib.bytes.size(), 40 + 1024 + 8 * 3u);
    const uint8_t *h = dib.header();
    EXPECT_EQ(U32(h + 32), 256u);
    for (int i = 0; i < 256; ++i) {
        const uint8_t *entry = h + 40 + 4 * i;
        ASSERT_TRUE(entry[0] == i && entry[1] == i && entry[2] == i && entry[3] == 0) << "entry " << i;
    }
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(h[1064 + (2 - y) * 8 + x], Gray(x, y, 0));
}

TEST_F(ScanModuleTest, StripsDeliverRowsTopDownInRgbOrder) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=7\nHeight=10\nPixelType=2\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_IMAGEINFO info;
    ops_.UpdateImageInfo(&info);
    ASSERT_EQ(info.ImageLength, 10);
    const uint32_t rowBytes = 21;
    std::vector<uint8_t> buffer(rowBytes * 4 + 5);  // four rows and a bit
    std::vector<int> rowsPerStrip;
    TW_INT16 status = SM_MORE;
    while (status == SM_MORE) {
        TW_IMAGEMEMXFER request = StripRequest((uint32_t)buffer.size());
        status = ops_.GetSMImage_Buf(&request, buffer.data());
        ASSERT_TRUE(status == SM_MORE || status == SM_DONE) << status;
        EXPECT_EQ(+request.BytesPerRow, rowBytes);
        EXPECT_EQ(+request.Columns, 7u);
        EXPECT_EQ(+request.XOffset, 0u);
        EXPECT_EQ(+request.BytesWritten, request.Rows * rowBytes);
        for (uint32_t r = 0; r < request.Rows; ++r) {
            int y = (int)(request.YOffset + r);
            for (int x = 0; x < 7; ++x) {
                const uint8_t *px = &buffer[r * rowBytes + 3 * x];
                ASSERT_EQ(px[0], Red(x, y, 0)) << x << "," << y;
                ASSERT_EQ(px[1], Green(x, y));
                ASSERT_EQ(px[2], Blue(x, y));
            }
        }
        rowsPerStrip.push_back((int)request.Rows);
    }
    EXPECT_EQ(rowsPerStrip, (std::vector<int>{4, 4, 2}));
    EXPECT_EQ(ops_.CheckScanJob(), 0) << "the one page is delivered";
}

TEST_F(ScanModuleTest, StripRefusesABufferSmallerThanARow) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=7\nHeight=10\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    std::vector<uint8_t> buffer(20, 0xAB);
    TW_IMAGEMEMXFER request = StripRequest(20);
    EXPECT_EQ(ops_.GetSMImage_Buf(&request, buffer.data()), SM_FAILED);
    EXPECT_EQ(buffer[0], 0xAB) << "nothing written";
    EXPECT_EQ(ops_.GetSMImage_Buf(&request, nullptr), SM_FAILED);
}

TEST_F(ScanModuleTest, OpenLengthAnnouncesMinusOneAndEndsWithTheLastBlock) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=8\nHeight=5\nPixelType=1\nUnknownLength=1\nBlockKB=1\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_UINT32 kb = 0;
    EXPECT_NE(ops_.CkUseBufXfer(&kb), 0);
    EXPECT_EQ(kb, 1u);
    TW_IMAGEINFO info;
    ops_.UpdateImageInfo(&info);
    EXPECT_EQ(info.ImageLength, -1);
    std::vector<uint8_t> buffer(1024);
    TW_IMAGEMEMXFER request = StripRequest(1024);
    EXPECT_EQ(ops_.GetSMImage_Buf(&request, buffer.data()), SM_DONE);
    EXPECT_EQ(+request.Rows, 5u);
}

TEST_F(ScanModuleTest, OpenLengthAboveOpticalResolutionAsksForEnlargement) {
    ASSERT_NO_FATAL_FAILURE(Load("UnknownLength=1\nOpticalResolution=300\nWidthInches=1\nHeightInches=1\n"));
    ScanSettings s{};
    s.PixelType = TWPT_GRAY;
    s.Resolution = 600;
    ops_.SetDefValue(&s);
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_IMAGEINFO info;
    ops_.UpdateImageInfo(&info);
    EXPECT_EQ(info.XResolution.Whole, 300);
    EXPECT_EQ(info.XResolution.Frac, 600);
    EXPECT_EQ(info.ImageWidth, 300);
}

TEST_F(ScanModuleTest, MultiPageJobCountsDownAndChangesThePattern) {
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kSmall) + "PixelType=1\nPages=3\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    EXPECT_EQ(HostScans(), 1) << "one announcement per job";
    EXPECT_EQ(ops_.CheckScanJob(), 3);
    for (int page = 0; page < 3; ++page) {
        TW_IMAGEINFO info;
        ASSERT_NE(ops_.UpdateImageInfo(&info), 0);
        TW_INT16 status;
        Dib dib = TakeDib(ops_, &status);
        ASSERT_EQ(status, SM_DONE);
        EXPECT_EQ(dib.bytes[1064 + 2 * 8 + 0], Gray(0, 0, page)) << "page " << page;
        EXPECT_EQ(ops_.CheckScanJob(), 2 - page);
    }
    HGLOBAL none = (HGLOBAL)1;
    EXPECT_EQ(ops_.GetSMImage_DIB(&none), SM_FAILED) << "the job is over";
    EXPECT_EQ(none, nullptr);
}

TEST_F(ScanModuleTest, ConfiguredCancelAndFailureEndTheJob) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=8\nHeight=10\nPixelType=1\nPages=2\nCancelAtBlock=2\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    std::vector<uint8_t> buffer(8 * 3);
    TW_IMAGEMEMXFER request = StripRequest(24);
    EXPECT_EQ(ops_.GetSMImage_Buf(&request, buffer.data()), SM_MORE);
    EXPECT_EQ(ops_.GetSMImage_Buf(&request, buffer.data()), SM_CANCELLED);
    EXPECT_EQ(ops_.CheckScanJob(), 0);

    FreeLibrary(module_);
    module_ = nullptr;
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kSmall) + "FailAtBlock=1\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_INT16 status;
    TakeDib(ops_, &status);
    EXPECT_EQ(status, SM_FAILED);
}

TEST_F(ScanModuleTest, NoImageWithoutAJob) {
    ASSERT_NO_FATAL_FAILURE(Load(kSmall));
    HGLOBAL dib = nullptr;
    EXPECT_EQ(ops_.GetSMImage_DIB(&dib), SM_FAILED);
    EXPECT_EQ(ops_.GetSMImage_DIB(nullptr), SM_FAILED);
    EXPECT_EQ(ops_.CheckScanJob(), 0);
    TW_IMAGEINFO info;
    EXPECT_EQ(ops_.UpdateImageInfo(&info), 0);
}
