// The files the simulator writes: the memory transfer's TIFF with its entries
// two bytes after their count, the application's BMP and TIFF, and the ways
// a file delivery can be made to go wrong.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "sm_fixture.h"

namespace {

uint8_t Gray(int x, int y, int page) { return (uint8_t)(x + 3 * y + 37 * page); }
bool White(int x, int y, int page) { return (x + y + page) % 3 == 0; }
uint32_t U32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t U16(const uint8_t *p) { return (uint16_t)(p[0] | p[1] << 8); }

std::vector<uint8_t> ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string &path) { return std::ifstream(path).good(); }

// Tag -> value of `count` entries from `at`.
std::map<uint16_t, uint32_t> Entries(const std::vector<uint8_t> &f, size_t at, size_t count) {
    std::map<uint16_t, uint32_t> tags;
    for (size_t i = 0; i < count && at + 12 * i + 12 <= f.size(); ++i) {
        const uint8_t *e = &f[at + 12 * i];
        tags[U16(e)] = U16(e + 2) == 3 ? U16(e + 8) : U32(e + 8);
    }
    return tags;
}

class SimFileTest : public ScanModuleTest {
protected:
    TW_INT16 Deliver(TW_UINT32 mode, TW_UINT16 format = TWFF_TIFF) {
        TW_SETUPFILEXFER setup{};
        snprintf(setup.FileName, sizeof setup.FileName, "%s", path_.c_str());
        setup.Format = format;
        return ops_.GetSMImage_File(&setup, mode);
    }
    void SetUp() override {
        ScanModuleTest::SetUp();
        path_ = folder_ + "/image.out";
    }
    std::string path_;
};

const char kGrey5x3[] = "Resolution=100\nWidth=5\nHeight=3\nPixelType=1\n";

}  // namespace

TEST_F(SimFileTest, ScanFileHasItsEntriesTwoBytesAfterTheCount) {
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kGrey5x3) + "FileMode=1\nBlockKB=7\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_UINT32 kb = 0;
    EXPECT_EQ(ops_.CkUseBufXfer(&kb), 0) << "a file, not blocks";
    EXPECT_EQ(kb, 7u) << "the block size still sizes the application's buffers";
    ASSERT_EQ(Deliver(0), SM_MORE) << "0 is the answer on which the data source reads the file";
    std::vector<uint8_t> f = ReadAll(path_);
    ASSERT_GE(f.size(), 12u);
    EXPECT_EQ(U16(&f[8]), 9);
    EXPECT_EQ(U16(&f[10]), 0);
    std::map<uint16_t, uint32_t> tags = Entries(f, 12, U16(&f[8]));
    EXPECT_EQ(tags[256], 5u);
    EXPECT_EQ(tags[257], 3u);
    EXPECT_EQ(tags[277], 1u);
    ASSERT_EQ(f.size(), tags[273] + 15u) << "rows of 5 bytes, no padding, nothing after them";
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(f[tags[273] + 5 * y + x], Gray(x, y, 0)) << x << "," << y;
    EXPECT_EQ(ops_.CheckScanJob(), 0) << "the page is delivered";
}

TEST_F(SimFileTest, OpenLengthImagesAlwaysComeInBlocks) {
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kGrey5x3) + "FileMode=1\nUnknownLength=1\n"));
    TW_UINT32 kb = 0;
    EXPECT_EQ(ops_.CkUseBufXfer(&kb), 1);
}

TEST_F(SimFileTest, ApplicationBmpIsTheDibBehindItsFileHeader) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=7\nHeight=5\nPixelType=2\nPages=2\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    HGLOBAL dib = nullptr;
    ASSERT_EQ(ops_.GetSMImage_DIB(&dib), SM_DONE);
    const uint8_t *bytes = (const uint8_t *)GlobalLock(dib);
    std::vector<uint8_t> bitmap(bytes, bytes + GlobalSize(dib));
    GlobalUnlock(dib);
    GlobalFree(dib);
    ASSERT_NO_FATAL_FAILURE(StartJob());  // the same page again
    ASSERT_EQ(Deliver(1, TWFF_BMP), SM_DONE);
    std::vector<uint8_t> f = ReadAll(path_);
    ASSERT_EQ(f.size(), 14 + bitmap.size());
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(U32(&f[2]), f.size());
    EXPECT_EQ(U32(&f[10]), 54u);
    EXPECT_TRUE(std::equal(bitmap.begin(), bitmap.end(), f.begin() + 14));
}

TEST_F(SimFileTest, ApplicationTiffCarriesTheScanResolutionAndPackedBits) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=150\nWidth=10\nHeight=4\nPixelType=0\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    ASSERT_EQ(Deliver(1, TWFF_TIFF), SM_DONE);
    std::vector<uint8_t> f = ReadAll(path_);
    ASSERT_GE(f.size(), 10u);
    EXPECT_EQ(U32(&f[4]), 8u);
    ASSERT_EQ(U16(&f[8]), 12);
    std::map<uint16_t, uint32_t> tags = Entries(f, 10, 12);
    EXPECT_EQ(tags[258], 1u);
    EXPECT_EQ(tags[262], 1u) << "black is zero: 1 is white";
    EXPECT_EQ(tags[279], 8u) << "4 rows of 2 bytes";
    ASSERT_LT(tags[282] + 8, f.size());
    EXPECT_EQ(U32(&f[tags[282]]), 150u);
    EXPECT_EQ(U32(&f[tags[282] + 4]), 1u);
    ASSERT_EQ(f.size(), tags[273] + 8u);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) {
            bool bit = (f[tags[273] + 2 * y + x / 8] >> (7 - x % 8)) & 1;
            EXPECT_EQ(bit, White(x, y, 0)) << x << "," << y;
        }
}

TEST_F(SimFileTest, WhatHasNoFileFormFailsAndWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(Load(kGrey5x3));
    EXPECT_EQ(Deliver(1), SM_FAILED) << "no job";
    ASSERT_NO_FATAL_FAILURE(StartJob());
    EXPECT_EQ(Deliver(1, TWFF_JFIF), SM_FAILED);
    EXPECT_EQ(Deliver(7), SM_FAILED);
    EXPECT_EQ(ops_.GetSMImage_File(nullptr, 1), SM_FAILED);
    TW_SETUPFILEXFER unnamed{};
    EXPECT_EQ(ops_.GetSMImage_File(&unnamed, 1), SM_FAILED);
    EXPECT_FALSE(Exists(path_));
    EXPECT_EQ(ops_.CheckScanJob(), 1) << "the page is still there";

    Unload();
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kGrey5x3) + "GrayBits=4\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    EXPECT_EQ(Deliver(0), SM_FAILED) << "4-bit rows have no form the data source reads";
    EXPECT_FALSE(Exists(path_));
    EXPECT_EQ(Deliver(1, TWFF_BMP), SM_DONE) << "a BMP holds them";
}

TEST_F(SimFileTest, CancelOrFailureInsideAFileLeavesNoFile) {
    // 16 bytes a row: 64 rows a 1 KB block, four blocks to a page.
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=16\nHeight=200\nPixelType=1\nBlockKB=1\nCancelAtBlock=2\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    EXPECT_EQ(Deliver(1), SM_CANCELLED);
    EXPECT_FALSE(Exists(path_));
    EXPECT_EQ(ops_.CheckScanJob(), 0) << "a cancelled page ends the job";

    Unload();
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=16\nHeight=200\nPixelType=1\nBlockKB=1\nFailAtBlock=4\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    EXPECT_EQ(Deliver(0), SM_FAILED);
    EXPECT_FALSE(Exists(path_));
}

TEST_F(SimFileTest, FaultPageChoosesWhichPageFails) {
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kGrey5x3) + "Pages=3\nFailAtBlock=1\nFaultPage=2\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    EXPECT_EQ(Deliver(1), SM_DONE);
    EXPECT_EQ(Deliver(1), SM_FAILED);
    EXPECT_EQ(ops_.CheckScanJob(), 0);
}

TEST_F(SimFileTest, FileFaultsDamageTheFileButReportSuccess) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidth=5\nHeight=10\nPixelType=1\nFileFault=short\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    ASSERT_EQ(Deliver(0), SM_MORE);
    std::vector<uint8_t> f = ReadAll(path_);
    std::map<uint16_t, uint32_t> tags = Entries(f, 12, U16(&f[8]));
    EXPECT_EQ(tags[257], 10u) << "it still claims every row";
    EXPECT_EQ(f.size(), tags[273] + 25u) << "but holds half of them";

    const struct {
        const char *fault;
        uint16_t count;
        bool hasOffsets;
    } kDirectoryFaults[] = {{"nooffset", 8, false}, {"badcount", 0xFFFF, true}};
    for (const auto &c : kDirectoryFaults) {
        Unload();
        ASSERT_NO_FATAL_FAILURE(Load(std::string(kGrey5x3) + "FileFault=" + c.fault + "\n"));
        ASSERT_NO_FATAL_FAILURE(StartJob());
        ASSERT_EQ(Deliver(0), SM_MORE) << c.fault;
        f = ReadAll(path_);
        EXPECT_EQ(U16(&f[8]), c.count) << c.fault;
        EXPECT_EQ(Entries(f, 12, 9).count(273), c.hasOffsets ? 1u : 0u) << c.fault;
    }

    Unload();
    ASSERT_NO_FATAL_FAILURE(Load(std::string(kGrey5x3) + "FileFault=missing\n"));
    ASSERT_NO_FATAL_FAILURE(StartJob());
    ASSERT_TRUE(Exists(path_)) << "the last case's file";
    EXPECT_EQ(Deliver(1), SM_DONE);
    EXPECT_FALSE(Exists(path_)) << "an old file of that name does not stand in for the missing one";
    EXPECT_EQ(ops_.CheckScanJob(), 0);
}
