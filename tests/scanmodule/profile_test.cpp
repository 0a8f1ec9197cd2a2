// Profiles and the INI file as shipped.
#include <fstream>
#include <sstream>

#include "sm_fixture.h"

namespace {

struct Page {
    TW_IMAGEINFO info{};
    int pages = 0;
};

// Starts a job (the host stands in for the data source) and describes its
// first page.
Page FirstPage(const SmOps &ops) {
    Page page;
    EXPECT_NE(ops.NoUItoXferImage(nullptr), 0);
    page.pages = ops.CheckScanJob();
    EXPECT_NE(ops.UpdateImageInfo(&page.info), 0);
    return page;
}

std::string Shipped() {
    std::ifstream in(QR_SHIPPED_INI_PATH);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST_F(ScanModuleTest, ProfileGivesItsDefaults) {
    ASSERT_NO_FATAL_FAILURE(Load("Profile=a4-color-300\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    Page page = FirstPage(ops_);
    EXPECT_EQ(page.info.ImageWidth, 2481) << "8.27 inches at 300 dpi";
    EXPECT_EQ(page.info.ImageLength, 3507);
    EXPECT_EQ(page.info.BitsPerPixel, 24);
    EXPECT_EQ(page.info.XResolution.Whole, 300);
}

TEST_F(ScanModuleTest, KeysInTheFileBeatTheProfileInWhicheverForm) {
    // The profile gives the glass in inches; the file's pixels still win.
    ASSERT_NO_FATAL_FAILURE(Load("Profile=LineArt-1200\nResolution=100\nWidth=40\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    Page page = FirstPage(ops_);
    EXPECT_EQ(page.info.PixelType, TWPT_BW) << "the profile's, in any case";
    EXPECT_EQ(page.info.XResolution.Whole, 100);
    EXPECT_EQ(page.info.ImageWidth, 40);
    EXPECT_EQ(page.info.ImageLength, 1100) << "the profile's 11 inches";
}

TEST_F(ScanModuleTest, FeederJobProfileLoadsTheFeeder) {
    ASSERT_NO_FATAL_FAILURE(Load("Profile=feeder-job\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    EXPECT_NE(ops_.ConnectScanner(1), 0) << "paper in the feeder";
    Page page = FirstPage(ops_);
    EXPECT_EQ(page.pages, 5);
    EXPECT_EQ(page.info.BitsPerPixel, 8);
    EXPECT_EQ(page.info.XResolution.Whole, 200);
}

TEST_F(ScanModuleTest, OpenLengthProfileAsksForEnlargement) {
    ASSERT_NO_FATAL_FAILURE(Load("Profile=open-length-600\nWidthInches=1\nHeightInches=1\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    Page page = FirstPage(ops_);
    EXPECT_EQ(page.info.ImageLength, -1);
    EXPECT_EQ(page.info.XResolution.Whole, 300);
    EXPECT_EQ(page.info.XResolution.Frac, 600);
    TW_UINT32 kb = 0;
    EXPECT_EQ(ops_.CkUseBufXfer(&kb), 1);
    EXPECT_EQ(kb, 64u);
}

TEST_F(ScanModuleTest, UnknownProfileLeavesTheBuiltInDefaults) {
    ASSERT_NO_FATAL_FAILURE(Load("Profile=no-such-scanner\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    Page page = FirstPage(ops_);
    EXPECT_EQ(page.info.ImageWidth, 2550);
    EXPECT_EQ(page.info.ImageLength, 3300);
}

// The shipped file documents the defaults; it must not change them.
TEST_F(ScanModuleTest, ShippedIniHoldsTheBuiltInDefaults) {
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    ASSERT_NO_FATAL_FAILURE(Load());
    ScanSettings builtIn{};
    ops_.GetDefValue(&builtIn);
    TW_UINT32 builtInKB = 0;
    int builtInMode = ops_.CkUseBufXfer(&builtInKB);
    Page builtInPage = FirstPage(ops_);
    Unload();

    std::string shipped = Shipped();
    ASSERT_NE(shipped.find("[Simulator]"), std::string::npos);
    ASSERT_NO_FATAL_FAILURE(LoadWithIni(shipped));
    ScanSettings fromFile{};
    ops_.GetDefValue(&fromFile);
    TW_UINT32 fileKB = 0;
    EXPECT_EQ(ops_.CkUseBufXfer(&fileKB), builtInMode);
    EXPECT_EQ(fileKB, builtInKB);
    EXPECT_EQ(memcmp(&builtIn, &fromFile, 22), 0);
    Page filePage = FirstPage(ops_);
    EXPECT_EQ(memcmp(&builtInPage.info, &filePage.info, sizeof filePage.info), 0);
    EXPECT_EQ(filePage.pages, builtInPage.pages);
}
