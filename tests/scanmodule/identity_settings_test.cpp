// What the data source reads at start-up and at open, and the settings it
// hands back at enable.
#include <string.h>

#include "sm_fixture.h"

namespace {

TW_FIX32 Fix(double value) {
    TW_FIX32 fix;
    fix.Whole = (TW_INT16)value;
    fix.Frac = (TW_UINT16)((value - fix.Whole) * 65536.0);
    return fix;
}

ScanSettings Request(TW_UINT16 pixelType, TW_UINT16 dpi) {
    ScanSettings s{};
    s.PixelType = pixelType;
    s.Resolution = dpi;
    s.Units = TWUN_INCHES;
    return s;
}

void SetFrame(ScanSettings *s, double left, double top, double right, double bottom) {
    s->Frame[0] = Fix(left);
    s->Frame[1] = Fix(top);
    s->Frame[2] = Fix(right);
    s->Frame[3] = Fix(bottom);
}

struct Names {
    char product[36], maker[36], family[36], info[36];
    TW_UINT16 major = 0xFFFF, minor = 0xFFFF;
};

Names AskNames(const SmOps &ops) {
    Names n;
    memset(n.product, 0xCC, sizeof n.product);
    memset(n.maker, 0xCC, sizeof n.maker);
    memset(n.family, 0xCC, sizeof n.family);
    memset(n.info, 0xCC, sizeof n.info);
    ops.GetProductName(n.product, TWLG_USA, &n.major, &n.minor, n.maker, n.family, n.info);
    return n;
}

}  // namespace

TEST_F(ScanModuleTest, IdentityDefaultsWithoutIniFile) {
    ASSERT_NO_FATAL_FAILURE(Load());
    Names n = AskNames(ops_);
    EXPECT_STREQ(n.product, "QR Simulated Flatbed");
    EXPECT_STREQ(n.maker, "QR Imaging");
    EXPECT_STREQ(n.family, "QR Simulator");
    EXPECT_STREQ(n.info, "Simulator 1.0");
    EXPECT_EQ(n.major, 1);
    EXPECT_EQ(n.minor, 0);
}

TEST_F(ScanModuleTest, IdentityFromIniIsCutTo33CharactersInsideTheBuffers) {
    ASSERT_NO_FATAL_FAILURE(
        Load("ProductName=Model 7 with a name far longer than thirty-three\n"
             "Manufacturer=Acme\nMajorVersion=3\nMinorVersion=14\n"));
    Names n = AskNames(ops_);
    EXPECT_EQ(strlen(n.product), 33u);
    EXPECT_EQ(std::string(n.product), std::string("Model 7 with a name far longer than thirty-three").substr(0, 33));
    EXPECT_EQ((unsigned char)n.product[34], 0xCC) << "wrote past the 34-byte TWAIN string";
    EXPECT_EQ((unsigned char)n.product[35], 0xCC);
    EXPECT_STREQ(n.maker, "Acme");
    EXPECT_EQ(n.major, 3);
    EXPECT_EQ(n.minor, 14);
}

TEST_F(ScanModuleTest, ConnectReportsScannerAndFeederPaper) {
    ASSERT_NO_FATAL_FAILURE(Load("Connect=0\n"));
    EXPECT_EQ(ops_.ConnectScanner(0), 0);
    EXPECT_EQ(ops_.ConnectScanner(1), 0) << "no feeder, no paper";
    FreeLibrary(module_);
    module_ = nullptr;
    ASSERT_NO_FATAL_FAILURE(Load("FeederPresent=1\nFeederLoaded=1\n"));
    EXPECT_NE(ops_.ConnectScanner(0), 0);
    EXPECT_NE(ops_.ConnectScanner(1), 0);
    EXPECT_EQ(ops_.ConnectScanner(7), 0) << "unknown mode";
}

TEST_F(ScanModuleTest, GetDefValueFillsOnlyTheFirst22Bytes) {
    ASSERT_NO_FATAL_FAILURE(
        Load("PixelType=1\nResolution=150\nFeederPresent=1\nFeederEnabled=1\n"
             "FeederLoaded=1\nAutoBright=1\nReflective=0\nSupportedSize=3\n"));
    ScanSettings s;
    memset(&s, 0xCC, sizeof s);
    ASSERT_NE(ops_.GetDefValue(&s), 0);
    EXPECT_EQ(s.FeederPresent, 1);
    EXPECT_EQ(s.Compression, TWCP_NONE);
    EXPECT_EQ(s.FeederEnabled, 1);
    EXPECT_EQ(s.FeederLoaded, 1);
    EXPECT_EQ(s.AutoBright, 1);
    EXPECT_EQ(s.Reflective, 0);
    EXPECT_EQ(s.PixelType, TWPT_GRAY);
    EXPECT_EQ(s.PixelFlavor, TWPF_CHOCOLATE);
    EXPECT_EQ(s.SupportedSize, TWSS_USLETTER);
    EXPECT_EQ(s.Resolution, 150);
    const unsigned char *bytes = (const unsigned char *)&s;
    for (size_t i = 22; i < sizeof s; ++i) EXPECT_EQ(bytes[i], 0xCC) << "byte " << i;
}

TEST_F(ScanModuleTest, SettingsReceivedShapeTheNextImage) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=100\nWidthInches=8.5\nHeightInches=11\n"));
    ScanSettings s = Request(TWPT_GRAY, 150);
    SetFrame(&s, 0.5, 0.5, 1.5, 2.5);
    ASSERT_NE(ops_.SetDefValue(&s), 0);
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_IMAGEINFO info;
    ASSERT_NE(ops_.UpdateImageInfo(&info), 0);
    EXPECT_EQ(info.XResolution.Whole, 150);
    EXPECT_EQ(info.XResolution.Frac, 0);
    EXPECT_EQ(info.YResolution.Whole, 150);
    EXPECT_EQ(info.ImageWidth, 150);
    EXPECT_EQ(info.ImageLength, 300);
    EXPECT_EQ(info.SamplesPerPixel, 1);
    EXPECT_EQ(info.BitsPerSample[0], 8);
    EXPECT_EQ(info.BitsPerPixel, 8);
    EXPECT_EQ(info.Planar, FALSE);
    EXPECT_EQ(info.PixelType, TWPT_GRAY);
    EXPECT_EQ(info.Compression, TWCP_NONE);

    ScanSettings back{};
    ops_.GetDefValue(&back);
    EXPECT_EQ(back.PixelType, TWPT_GRAY) << "the settings come back as the scanner's";
    EXPECT_EQ(back.Resolution, 150);
}

TEST_F(ScanModuleTest, FrameInOtherUnitsAndCutToTheGlass) {
    ASSERT_NO_FATAL_FAILURE(Load("WidthInches=2\nHeightInches=3\n"));
    ScanSettings s = Request(TWPT_RGB, 100);
    s.Units = TWUN_CENTIMETERS;
    SetFrame(&s, 0, 0, 2.54, 5.08);
    ops_.SetDefValue(&s);
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_IMAGEINFO info;
    ops_.UpdateImageInfo(&info);
    EXPECT_EQ(info.ImageWidth, 100);
    EXPECT_EQ(info.ImageLength, 200);
    EXPECT_EQ(info.SamplesPerPixel, 3);
    EXPECT_EQ(info.BitsPerPixel, 24);

    s.Units = TWUN_INCHES;
    SetFrame(&s, 1, 1, 5, 9);  // beyond the 2 x 3 inch glass
    ops_.SetDefValue(&s);
    ops_.UpdateImageInfo(&info);
    EXPECT_EQ(info.ImageWidth, 100);
    EXPECT_EQ(info.ImageLength, 200);
}

TEST_F(ScanModuleTest, UnusableSettingsKeepTheCurrentOnes) {
    ASSERT_NO_FATAL_FAILURE(Load("Resolution=200\nPixelType=0\nMaxResolution=600\nWidth=400\nHeight=200\n"));
    ScanSettings s = Request(9, 0);  // no such pixel type, no resolution
    SetFrame(&s, 1.5, 1, 0.5, 0.5);  // inverted: the whole glass
    ops_.SetDefValue(&s);
    ASSERT_NO_FATAL_FAILURE(StartJob());
    TW_IMAGEINFO info;
    ops_.UpdateImageInfo(&info);
    EXPECT_EQ(info.PixelType, TWPT_BW);
    EXPECT_EQ(info.BitsPerPixel, 1);
    EXPECT_EQ(info.XResolution.Whole, 200);
    EXPECT_EQ(info.ImageWidth, 400);
    EXPECT_EQ(info.ImageLength, 200);

    s = Request(TWPT_BW, 4800);
    ops_.SetDefValue(&s);
    ops_.UpdateImageInfo(&info);
    EXPECT_EQ(info.XResolution.Whole, 600) << "held to MaxResolution";
}

TEST_F(ScanModuleTest, OpenSessionStartsFromTheConfiguredSettings) {
    ASSERT_NO_FATAL_FAILURE(Load("PixelType=2\n"));
    ScanSettings s = Request(TWPT_BW, 300);
    ops_.SetDefValue(&s);
    ops_.ConnectScanner(0);
    ScanSettings back{};
    ops_.GetDefValue(&back);
    EXPECT_EQ(back.PixelType, TWPT_RGB);
}

TEST_F(ScanModuleTest, OptionalOperationsDescribeTheScanner) {
    ASSERT_NO_FATAL_FAILURE(Load("WidthInches=8.27\nHeightInches=11.69\nMaxResolution=600\n"));
    auto glass = BindExport<GetGlassSizeProc>(module_, "GetGlassSize");
    auto optical = BindExport<GetOpticalResolutionProc>(module_, "GetOpticalResolution");
    auto online = BindExport<IsDeviceOnlineProc>(module_, "IsDeviceOnline");
    ASSERT_TRUE(glass && optical && online);
    TW_UINT32 width = 0, height = 0;
    ASSERT_NE(glass(&width, &height), 0);
    EXPECT_EQ(width, 8270u);
    EXPECT_EQ(height, 11690u);
    TW_UINT16 x = 0, y = 0;
    ASSERT_NE(optical(&x, &y), 0);
    EXPECT_EQ(x, 600) << "without OpticalResolution, the highest it scans at";
    EXPECT_EQ(y, 600);
    EXPECT_NE(online(), 0);
    Unload();
    ASSERT_NO_FATAL_FAILURE(Load("OpticalResolution=300\nConnect=0\n"));
    optical = BindExport<GetOpticalResolutionProc>(module_, "GetOpticalResolution");
    online = BindExport<IsDeviceOnlineProc>(module_, "IsDeviceOnline");
    ASSERT_NE(optical(&x, &y), 0);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(online(), 0);
}

// With its feeder off a feeder scanner scans one page from its glass and
// leaves the feeder's paper alone; FeederRefill keeps the feeder full.
TEST_F(ScanModuleTest, FeederOffScansTheGlassAndRefillKeepsTheFeederFull) {
    for (bool refill : {false, true}) {
        SCOPED_TRACE(refill);
        ASSERT_NO_FATAL_FAILURE(
            Load(std::string("FeederPresent=1\nFeederLoaded=1\nPages=3\nFeederRefill=") + (refill ? "1" : "0") + "\n"));
        ASSERT_NO_FATAL_FAILURE(StartJob());
        EXPECT_EQ(ops_.CheckScanJob(), 1) << "the glass";
        EXPECT_NE(ops_.ConnectScanner(1), 0);
        ScanSettings s = Request(TWPT_GRAY, 100);
        s.FeederEnabled = 1;
        ops_.SetDefValue(&s);
        ASSERT_NO_FATAL_FAILURE(StartJob());
        EXPECT_EQ(ops_.CheckScanJob(), 3);
        for (int page = 0; page < 3; ++page) {
            TW_IMAGEINFO info;
            ASSERT_NE(ops_.UpdateImageInfo(&info), 0);
            HGLOBAL dib = nullptr;
            ASSERT_EQ(ops_.GetSMImage_DIB(&dib), SM_DONE);
            GlobalFree(dib);
        }
        EXPECT_EQ(ops_.ConnectScanner(1) != 0, refill) << "the feeder after its last sheet";
        Unload();
    }
}
