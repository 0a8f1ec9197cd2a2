// Output names: the page-number patterns and the format a name implies.
#include <gtest/gtest.h>

#include "output_names.h"

namespace {

bool Check(const std::string &pattern, bool *hasPage = nullptr) {
    bool page = false;
    std::string error;
    bool ok = CheckOutputPattern(pattern, &page, &error);
    if (hasPage) *hasPage = page;
    return ok;
}

}  // namespace

TEST(OutputNames, PageNumbersInEveryAcceptedForm) {
    EXPECT_EQ(OutputNameForPage("out%d.tif", 3), "out3.tif");
    EXPECT_EQ(OutputNameForPage("out%d.tif", 12), "out12.tif");
    EXPECT_EQ(OutputNameForPage("scan-%03d.bmp", 7), "scan-007.bmp");
    EXPECT_EQ(OutputNameForPage("p%3d", 7), "p  7");
    EXPECT_EQ(OutputNameForPage("100%%-%d.tif", 2), "100%-2.tif");
    EXPECT_EQ(OutputNameForPage("plain.tif", 5), "plain.tif") << "no number: the same name for every page";
}

TEST(OutputNames, PatternCheckTellsWhetherThereIsAPageNumber) {
    bool page = true;
    EXPECT_TRUE(Check("plain.tif", &page));
    EXPECT_FALSE(page);
    EXPECT_TRUE(Check("50%%.tif", &page));
    EXPECT_FALSE(page) << "%% is a percent sign, not a page number";
    EXPECT_TRUE(Check("out%02d.tif", &page));
    EXPECT_TRUE(page);
}

TEST(OutputNames, ConversionsThatWouldMisbehaveAreRefused) {
    EXPECT_FALSE(Check("out%s.tif")) << "a string conversion would read a missing argument";
    EXPECT_FALSE(Check("out%d-%d.tif")) << "two page numbers";
    EXPECT_FALSE(Check("out%"));
    EXPECT_FALSE(Check("out%12d.tif")) << "widths stop at 9";
    EXPECT_FALSE(Check("out%-3d.tif"));
    EXPECT_FALSE(Check("out%x.tif"));
}

TEST(OutputNames, FormatFromTheExtensionInAnyCase) {
    QrFormat format = QRFORMAT_BMP;
    EXPECT_TRUE(FormatFromName("a.TIFF", &format));
    EXPECT_EQ(format, QRFORMAT_TIFF);
    EXPECT_TRUE(FormatFromName("page%d.Bmp", &format));
    EXPECT_EQ(format, QRFORMAT_BMP);
    EXPECT_TRUE(FormatFromName("x.tif", &format));
    EXPECT_EQ(format, QRFORMAT_TIFF);
    EXPECT_FALSE(FormatFromName("x.png", &format));
    EXPECT_FALSE(FormatFromName("tif", &format));
}
