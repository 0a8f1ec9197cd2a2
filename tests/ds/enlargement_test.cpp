// Enlargement by replication, for an image scanned at 300 dpi for a higher
// request: every transfer shows output pixel (and line) i as source pixel
// (line) floor((2i + 1) m / 2n) of an n/m enlargement, worked out here.
#include "xfer_fixture.h"

#include "winlayer_test.h"

#include <tuple>

struct Ratio {
    const char *name;
    int requested, num, den;
};
static const Ratio kRatios[] = {{"TwoToOne", 600, 2, 1}, {"FourToThree", 400, 4, 3}, {"ThreeToTwo", 450, 3, 2}};

typedef std::tuple<Ratio, int, Road> EnlargementCase;

class EnlargedImage : public TransferTest {
protected:
    // Scanned at 300 dpi for `requested`, in blocks of 1 KB: the preferred
    // strip size of the memory transfer.
    void ScriptScaled(int width, int length, int bits, int requested, int rowsPerBlock = 7, TW_UINT32 kb = 1) {
        ScriptQueued(width, length, bits, rowsPerBlock, kb);
        ScanAt(300, requested);
    }
};

class Enlargement : public EnlargedImage, public ::testing::WithParamInterface<EnlargementCase> {};

TEST_P(Enlargement, EveryTransferShowsTheCentredSourcePixel) {
    const Ratio &ratio = std::get<0>(GetParam());
    int bits = std::get<1>(GetParam());
    Road road = std::get<2>(GetParam());
    // 37 x 30 in blocks of 7 rows: lines cross blocks, 1-bit rows end in a
    // part byte.
    ScriptScaled(37, 30, bits, ratio.requested);
    Announce();
    Image enlarged = Enlarged(scanned_, ratio.num, ratio.den);
    TW_IMAGEINFO info{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(+info.ImageWidth, enlarged.width);
    EXPECT_EQ(+info.ImageLength, enlarged.length);
    EXPECT_EQ(+info.XResolution.Whole, ratio.requested);

    Bytes delivered;
    ASSERT_EQ(TransferBy(road, &delivered), TWRC_XFERDONE);
    EXPECT_EQ(ProbeState(), 700);
    Bytes expected = road == Road::Native ? ExpectedDib(enlarged, ratio.requested, ratio.requested)
                     : road == Road::Bmp  ? ExpectedBmp(enlarged, ratio.requested, ratio.requested)
                     : road == Road::Tiff ? ExpectedTiff(enlarged, ratio.requested, ratio.requested)
                                          : enlarged.Joined();
    ASSERT_EQ(delivered.size(), expected.size());
    EXPECT_TRUE(delivered == expected) << "first difference at byte "
                                       << std::mismatch(delivered.begin(), delivered.end(), expected.begin()).first -
                                              delivered.begin();
    if (road == Road::Memory) return;
    if (road == Road::Native) {
        Bytes bmp = ExpectedBmp(enlarged, ratio.requested, ratio.requested);
        std::copy(delivered.begin(), delivered.end(), bmp.begin() + 14);
        delivered = bmp;
    }
    WriteFileBytes(Scratch("enlarged"), delivered);
    ExpectDecodesTo(Scratch("enlarged"), enlarged);
    remove(Scratch("enlarged").c_str());
}

INSTANTIATE_TEST_SUITE_P(AllRoads, Enlargement,
                         ::testing::Combine(::testing::ValuesIn(kRatios), ::testing::Values(1, 8, 24),
                                            ::testing::Values(Road::Native, Road::Bmp, Road::Tiff, Road::Memory)),
                         [](const ::testing::TestParamInfo<EnlargementCase> &info) {
                             return std::string(RoadName(std::get<2>(info.param))) + std::get<0>(info.param).name +
                                    std::to_string(std::get<1>(info.param)) + "Bit";
                         });

class EnlargedStrips : public EnlargedImage {};

TEST_F(EnlargedStrips, FillThePreferredSizeWithWholeRows) {
    ScriptScaled(50, 10, 24, 600, 6);  // 100 x 20 enlarged: 300-byte rows, three to 1024 bytes
    Announce();
    ASSERT_EQ(+SetUpMemory().Preferred, 1024u);
    Bytes buffer(1024);
    std::vector<StripShape> shapes;
    TW_UINT16 rc = TWRC_SUCCESS;
    while (rc == TWRC_SUCCESS) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, 1024, buffer.data()};
        rc = MemXfer(&strip);
        shapes.push_back(ShapeOf(strip));
    }
    EXPECT_EQ(rc, TWRC_XFERDONE);
    std::vector<StripShape> expected;
    for (TW_UINT32 y = 0; y < 18; y += 3) expected.push_back({300, 100, 3, y, 900});
    expected.push_back({300, 100, 2, 18, 600});
    EXPECT_EQ(shapes, expected);
}

TEST_F(EnlargedStrips, TenRowsInStripsOfFour) {
    ScriptScaled(128, 5, 8, 600, 5);  // 256-byte rows: four to 1024 bytes
    Announce();
    Bytes buffer(1024);
    std::vector<TW_UINT32> rows;
    std::vector<TW_UINT16> codes;
    for (int k = 0; k < 3; ++k) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, 1024, buffer.data()};
        codes.push_back(MemXfer(&strip));
        rows.push_back(+strip.Rows);
    }
    EXPECT_EQ(rows, (std::vector<TW_UINT32>{4, 4, 2}));
    EXPECT_EQ(codes, (std::vector<TW_UINT16>{TWRC_SUCCESS, TWRC_SUCCESS, TWRC_XFERDONE}));
}

TEST_F(EnlargedStrips, SmallBufferIsRefusedWithoutConsumingAnything) {
    ScriptScaled(50, 10, 24, 600, 6);
    Announce();
    Bytes buffer(1024);
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, 899, buffer.data()};  // three rows need 900
    EXPECT_EQ(MemXfer(&strip), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    EXPECT_EQ(ProbeState(), 600);
    Bytes delivered;
    ASSERT_EQ(TransferBy(Road::Memory, &delivered), TWRC_XFERDONE);
    EXPECT_TRUE(delivered == Enlarged(scanned_, 2, 1).Joined());
}

TEST_F(EnlargedStrips, RowWiderThanThePreferredSizeFails) {
    ScriptScaled(200, 4, 24, 600, 1);  // 1200-byte enlarged rows, 1024-byte strips
    Announce();
    Bytes delivered;
    EXPECT_EQ(TransferBy(Road::Memory, &delivered), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_TRUE(delivered.empty());
}

TEST_F(EnlargedImage, RequestBelowTheScanIsDeliveredAsScanned) {
    for (Road road : {Road::Native, Road::Tiff, Road::Memory}) {
        SCOPED_TRACE(RoadName(road));
        ScriptQueued(37, 30, 8, 7, 1);
        sm_->imageInfo.XResolution = {600, 400};
        Announce();
        Bytes delivered;
        ASSERT_EQ(TransferBy(road, &delivered), TWRC_XFERDONE);
        EXPECT_TRUE(delivered == (road == Road::Native ? ExpectedDib(scanned_, 600, 300)
                                  : road == Road::Tiff ? ExpectedTiff(scanned_, 600, 300)
                                                       : scanned_.Joined()));
        UnloadSource();
    }
}

TEST_F(EnlargedImage, FailedEnlargingWriteKeepsTheReportedResolution) {
    ScriptScaled(37, 30, 8, 600);
    Announce();
    WinLayer_FailNthFileWrite(1);  // the TIFF's first header piece
    EXPECT_EQ(FileXfer(Scratch("short.tif"), TWFF_TIFF), TWRC_FAILURE);
    WinLayer_ClearFaults();
    TW_IMAGEINFO info{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(+info.XResolution.Whole, 600);
    // The image is still whole, and the bitmap says 600 dpi.
    Bytes delivered;
    ASSERT_EQ(TransferBy(Road::Native, &delivered), TWRC_XFERDONE);
    EXPECT_TRUE(delivered == ExpectedDib(Enlarged(scanned_, 2, 1), 600, 600));
}

TEST_F(EnlargedImage, SpooledSourceLinesAreReadBackInOrder) {
    // 63000-byte blocks: eight stay in memory, the rest are spooled.
    for (Road road : {Road::Native, Road::Tiff, Road::Memory}) {
        SCOPED_TRACE(RoadName(road));
        ScriptScaled(1000, 12 * 21, 24, 450, 21, 64);
        Announce();
        EXPECT_FALSE(TempEntries().empty());
        Image enlarged = Enlarged(scanned_, 3, 2);
        Bytes delivered;
        ASSERT_EQ(TransferBy(road, &delivered), TWRC_XFERDONE);
        EXPECT_TRUE(delivered == (road == Road::Native ? ExpectedDib(enlarged, 450, 450)
                                  : road == Road::Tiff ? ExpectedTiff(enlarged, 450, 450)
                                                       : enlarged.Joined()));
        EXPECT_TRUE(TempEntries().empty());
        UnloadSource();
    }
}

TEST_F(EnlargedImage, RowsOfMoreThan64KiB) {
    // 22000 pixels of 24 bits: 66000-byte source rows, 132000-byte enlarged ones.
    for (Road road : {Road::Native, Road::Tiff, Road::Memory}) {
        SCOPED_TRACE(RoadName(road));
        ScriptScaled(22000, 4, 24, 600, 3, 200);
        Announce();
        Image enlarged = Enlarged(scanned_, 2, 1);
        Bytes delivered;
        ASSERT_EQ(TransferBy(road, &delivered), TWRC_XFERDONE);
        EXPECT_TRUE(delivered == (road == Road::Native ? ExpectedDib(enlarged, 600, 600)
                                  : road == Road::Tiff ? ExpectedTiff(enlarged, 600, 600)
                                                       : enlarged.Joined()));
        UnloadSource();
    }
}

TEST_F(EnlargedStrips, EndingTheTransferMidwayLeavesNothing) {
    for (TW_UINT16 ending : {MSG_ENDXFER, MSG_RESET}) {
        SCOPED_TRACE(ending);
        ScriptScaled(50, 10, 24, 600, 6);
        Announce();
        Bytes buffer(1024);
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, 1024, buffer.data()};
        ASSERT_EQ(MemXfer(&strip), TWRC_SUCCESS);
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, ending, &pending), TWRC_SUCCESS);
        EXPECT_EQ(LiveHandles(), baselineHandles_);
        EXPECT_EQ(FindWindowA(nullptr, "Image Data Transferring..."), nullptr);
        UnloadSource();
    }
}

TEST_F(EnlargedStrips, PreferredSizeOf64KiOneByteRows) {
    ScriptScaled(4, 100, 1, 600, 100, 64);  // 8 x 200 enlarged: one byte a row
    Announce();
    Bytes delivered;
    ASSERT_EQ(TransferBy(Road::Memory, &delivered), TWRC_XFERDONE);
    EXPECT_TRUE(delivered == Enlarged(scanned_, 2, 1).Joined());
}
