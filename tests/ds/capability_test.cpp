// Capability negotiation through DS_Entry: the catalogue, the container
// bytes, round trips, and containers that must not be trusted.
#include "harness.h"

#include "winlayer_test.h"

#include <string.h>
#include <string>
#include <vector>

namespace {

enum Kind { NONE, ONE, ENUM, RANGE };

// One answer, read out of the container and the container freed.
struct Answer {
    TW_UINT16 rc = 0, cc = 0, conType = 0, itemType = 0;
    std::vector<TW_UINT8> bytes;
    TW_UINT32 U32(size_t at) const {
        TW_UINT32 v;
        memcpy(&v, bytes.data() + at, 4);
        return v;
    }
    TW_UINT32 item() const { return U32(2); }  // a one-value's item
    std::string text() const { return std::string(reinterpret_cast<const char *>(bytes.data() + 2)); }
};

TW_UINT32 Fix(int whole, unsigned frac = 0) { return (TW_UINT16)whole | (frac << 16); }

// A container of the application's own, made as an application would.
HGLOBAL Block(const std::vector<TW_UINT8> &bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}
void Put16(std::vector<TW_UINT8> &b, TW_UINT16 v) { b.insert(b.end(), {(TW_UINT8)v, (TW_UINT8)(v >> 8)}); }
void Put32(std::vector<TW_UINT8> &b, TW_UINT32 v) {
    for (int i = 0; i < 4; ++i) b.push_back((TW_UINT8)(v >> (8 * i)));
}
std::vector<TW_UINT8> OneValue(TW_UINT16 type, TW_UINT32 item) {
    std::vector<TW_UINT8> b;
    Put16(b, type);
    Put32(b, item);
    return b;
}

}  // namespace

class Capabilities : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        LoadSource();
        handlesBefore_ = WinLayer_LiveGlobalHandles();
    }
    void TearDown() override {
        // Every container the source handed out was freed by the test.
        EXPECT_EQ(WinLayer_LiveGlobalHandles(), handlesBefore_);
        DataSourceTest::TearDown();
    }

    Answer Ask(TW_UINT16 capId, TW_UINT16 msg) {
        TW_CAPABILITY cap{capId, TWON_DONTCARE16, nullptr};
        Answer a;
        a.rc = Call(DG_CONTROL, DAT_CAPABILITY, msg, &cap);
        a.cc = gConditionAfter();
        if (cap.hContainer) {
            a.conType = cap.ConType;
            size_t size = GlobalSize(cap.hContainer);
            auto *data = static_cast<TW_UINT8 *>(GlobalLock(cap.hContainer));
            a.bytes.assign(data, data + size);
            memcpy(&a.itemType, data, 2);
            GlobalUnlock(cap.hContainer);
            GlobalFree(cap.hContainer);
        }
        return a;
    }
    // The condition code without touching it for the next call: read it
    // only where DAT_STATUS is served.
    TW_UINT16 gConditionAfter() { return opened_ ? Status() : 0; }

    TW_UINT16 Set(TW_UINT16 capId, TW_UINT16 conType, const std::vector<TW_UINT8> &container) {
        TW_CAPABILITY cap{capId, conType, Block(container)};
        HGLOBAL mine = cap.hContainer;
        TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
        EXPECT_EQ(+cap.hContainer, mine);  // the application's container is left alone
        GlobalFree(mine);
        return rc;
    }
    TW_UINT16 SetOne(TW_UINT16 capId, TW_UINT16 type, TW_UINT32 item) {
        return Set(capId, TWON_ONEVALUE, OneValue(type, item));
    }
    void OpenSource() {
        Open();
        opened_ = true;
    }

    long handlesBefore_ = 0;
    bool opened_ = false;
};

struct CatalogueRow {
    TW_UINT16 cap;
    TW_UINT16 msg;
    TW_UINT16 rc, cc;
    Kind kind;
    TW_UINT16 itemType;
    TW_UINT32 value;     // one value: the item; enumeration: the item count
    TW_UINT32 current;   // enumeration: current index; range: current value
    TW_UINT32 fallback;  // enumeration: default index; range: default value
};

#define GETS(cap, type, v) \
    { cap, MSG_GET, 0, 0, ONE, type, v, 0, 0 }
#define CUR(cap, type, v) \
    { cap, MSG_GETCURRENT, 0, 0, ONE, type, v, 0, 0 }
#define DEF(cap, type, v) \
    { cap, MSG_GETDEFAULT, 0, 0, ONE, type, v, 0, 0 }
#define RST(cap, type, v) \
    { cap, MSG_RESET, 0, 0, ONE, type, v, 0, 0 }
#define ENUM(cap, type, n, c, d) \
    { cap, MSG_GET, 0, 0, ENUM, type, n, c, d }
#define REFUSE(cap, msg, cc) \
    { cap, msg, TWRC_FAILURE, cc, NONE, 0, 0, 0, 0 }
#define SETOK(cap) \
    { cap, MSG_SET, 0, 0, NONE, 0, 0, 0, 0 }
#define READONLY(cap)                                                                   \
    REFUSE(cap, MSG_GETCURRENT, TWCC_BADCAP), REFUSE(cap, MSG_GETDEFAULT, TWCC_BADCAP), \
        REFUSE(cap, MSG_RESET, TWCC_BADCAP), REFUSE(cap, MSG_SET, TWCC_BADCAP)
#define ALL(cap, cc)                                                                            \
    REFUSE(cap, MSG_GET, cc), REFUSE(cap, MSG_GETCURRENT, cc), REFUSE(cap, MSG_GETDEFAULT, cc), \
        REFUSE(cap, MSG_RESET, cc), REFUSE(cap, MSG_SET, cc)
#define ENUMERATED(cap, n, cur, def)                                                             \
    ENUM(cap, TWTY_UINT16, n, cur, def), CUR(cap, TWTY_UINT16, cur), DEF(cap, TWTY_UINT16, def), \
        RST(cap, TWTY_UINT16, def)

// The source just opened, with the fake scanner's defaults: gray, 300 dpi,
// no feeder, everything else 0.
static const CatalogueRow kCatalogue[] = {
    GETS(CAP_XFERCOUNT, TWTY_INT16, 0),
    CUR(CAP_XFERCOUNT, TWTY_INT16, 0),
    DEF(CAP_XFERCOUNT, TWTY_INT16, 0),
    RST(CAP_XFERCOUNT, TWTY_INT16, 0),
    SETOK(CAP_XFERCOUNT),
    ENUMERATED(ICAP_COMPRESSION, 1, 0, 0),
    ENUMERATED(ICAP_PIXELTYPE, 3, TWPT_GRAY, TWPT_GRAY),
    ENUMERATED(ICAP_UNITS, 2, 0, 0),
    ENUMERATED(ICAP_XFERMECH, 3, TWSX_MEMORY, TWSX_MEMORY),
    ENUMERATED(ICAP_BITORDER, 2, TWBO_MSBFIRST, TWBO_MSBFIRST),
    ENUMERATED(ICAP_PLANARCHUNKY, 1, 0, 0),
    ENUMERATED(ICAP_SUPPORTEDSIZES, 5, 0, 0),
    ENUMERATED(ICAP_JPEGPIXELTYPE, 3, 0, 0),
    ENUM(ICAP_IMAGEFILEFORMAT, TWTY_UINT16, 2, 0, 0),
    CUR(ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWFF_TIFF),
    DEF(ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWFF_TIFF),
    // The scanner is not reflective-only, so transmissive is the default;
    // the current value is what the open copied before the first derivation.
    ENUM(ICAP_LIGHTPATH, TWTY_UINT16, 2, 0, 1),
    CUR(ICAP_LIGHTPATH, TWTY_UINT16, TWLP_REFLECTIVE),
    DEF(ICAP_LIGHTPATH, TWTY_UINT16, TWLP_TRANSMISSIVE),
    ENUM(ICAP_XRESOLUTION, TWTY_FIX32, 17, 6, 6),
    CUR(ICAP_XRESOLUTION, TWTY_FIX32, Fix(300)),
    DEF(ICAP_YRESOLUTION, TWTY_FIX32, Fix(300)),
    RST(ICAP_YRESOLUTION, TWTY_FIX32, Fix(300)),
    GETS(ICAP_PIXELFLAVOR, TWTY_UINT16, 0),
    CUR(ICAP_PIXELFLAVOR, TWTY_UINT16, 0),
    DEF(ICAP_PIXELFLAVOR, TWTY_UINT16, 0),
    GETS(ICAP_AUTOBRIGHT, TWTY_BOOL, 0),
    CUR(ICAP_AUTOBRIGHT, TWTY_BOOL, 0),
    SETOK(ICAP_AUTOBRIGHT),
    {ICAP_BRIGHTNESS, MSG_GET, 0, 0, RANGE, TWTY_FIX32, 0, Fix(0), Fix(0)},
    {ICAP_BRIGHTNESS, MSG_GETCURRENT, 0, 0, RANGE, TWTY_FIX32, 0, Fix(0), Fix(0)},
    {ICAP_CONTRAST, MSG_GET, 0, 0, RANGE, TWTY_INT32, 0, 0, 0},
    {ICAP_CONTRAST, MSG_RESET, 0, 0, RANGE, TWTY_INT32, 0, 0, 0},
    GETS(CAP_AUTOFEED, TWTY_BOOL, 0),
    READONLY(CAP_AUTOFEED),
    GETS(ICAP_PHYSICALWIDTH, TWTY_FIX32, Fix(8, 0x8000)),
    READONLY(ICAP_PHYSICALWIDTH),
    GETS(ICAP_PHYSICALHEIGHT, TWTY_FIX32, Fix(11, 0x8000)),
    READONLY(ICAP_PHYSICALHEIGHT),
    GETS(ICAP_XSCALING, TWTY_FIX32, Fix(1)),
    READONLY(ICAP_XSCALING),
    GETS(ICAP_YSCALING, TWTY_FIX32, Fix(1)),
    READONLY(ICAP_YSCALING),
    READONLY(CAP_AUTHOR),
    READONLY(CAP_CAPTION),
    READONLY(CAP_TIMEDATE),
    // No feeder: both feeder capabilities fail, the current value even
    // hands over its FALSE.
    REFUSE(CAP_FEEDERENABLED, MSG_GET, TWCC_BADCAP),
    REFUSE(CAP_FEEDERENABLED, MSG_GETDEFAULT, TWCC_BADCAP),
    REFUSE(CAP_FEEDERENABLED, MSG_RESET, TWCC_BADCAP),
    SETOK(CAP_FEEDERENABLED),
    {CAP_FEEDERENABLED, MSG_GETCURRENT, TWRC_FAILURE, TWCC_BADVALUE, ONE, TWTY_BOOL, 0, 0, 0},
    REFUSE(CAP_FEEDERLOADED, MSG_GET, TWCC_BADCAP),
    REFUSE(CAP_FEEDERLOADED, MSG_GETCURRENT, TWCC_BADCAP),
    REFUSE(CAP_FEEDERLOADED, MSG_GETDEFAULT, TWCC_BADCAP),
    REFUSE(CAP_FEEDERLOADED, MSG_RESET, TWCC_BADPROTOCOL),
    SETOK(CAP_FEEDERLOADED),
    // A set of a capability the source does not have stores nothing, and
    // says so rather than pass for a setting that took.
    REFUSE(CAP_SUPPORTEDCAPS, MSG_GET, TWCC_BADCAP),
    REFUSE(CAP_SUPPORTEDCAPS, MSG_RESET, TWCC_BADCAP),
    REFUSE(CAP_SUPPORTEDCAPS, MSG_SET, TWCC_BADCAP),
    REFUSE(0x100e /* CAP_UICONTROLLABLE */, MSG_SET, TWCC_BADCAP),
    REFUSE(0x7ffe, MSG_SET, TWCC_BADCAP),
    ALL(ICAP_FRAMES, TWCC_BADVALUE),
    ALL(ICAP_MAXFRAMES, TWCC_BADVALUE),
    ALL(ICAP_BITDEPTH, TWCC_BADCAP),
    ALL(ICAP_ORIENTATION, TWCC_BADCAP),
    ALL(CAP_INDICATORS, TWCC_BADCAP),
    ALL(ICAP_BITDEPTHREDUCTION, TWCC_BADCAP),
    ALL(ICAP_GAMMA, TWCC_BADCAP),
    REFUSE(ICAP_HALFTONES, MSG_GET, TWCC_BADPROTOCOL),
    REFUSE(ICAP_HALFTONES, MSG_RESET, TWCC_BADPROTOCOL),
    REFUSE(ICAP_HALFTONES, MSG_SET, TWCC_BADCAP),
    REFUSE(0x8001, MSG_GET, TWCC_BADPROTOCOL),
    REFUSE(0x8001, MSG_GETDEFAULT, TWCC_BADPROTOCOL),
    REFUSE(0x8001, MSG_SET, TWCC_BADCAP),
    REFUSE(ICAP_PIXELTYPE, MSG_GETFIRST, TWCC_BADPROTOCOL),
    REFUSE(ICAP_PIXELTYPE, MSG_GETNEXT, TWCC_BADPROTOCOL),
    REFUSE(ICAP_PIXELTYPE, 8, TWCC_BADPROTOCOL),
    REFUSE(ICAP_PIXELTYPE, 0, TWCC_BADPROTOCOL),
};

TEST_F(Capabilities, CatalogueAnswersEveryCapabilityAndMessage) {
    OpenSource();
    for (const CatalogueRow &row : kCatalogue) {
        SCOPED_TRACE(testing::Message() << std::hex << "cap 0x" << row.cap << " msg 0x" << row.msg);
        Answer a;
        if (row.msg == MSG_SET) {
            a.rc = SetOne(row.cap, TWTY_UINT16, 0);
            a.cc = Status();
        } else {
            a = Ask(row.cap, row.msg);
        }
        EXPECT_EQ(a.rc, row.rc);
        EXPECT_EQ(a.cc, row.cc);
        switch (row.kind) {
        case NONE:
            EXPECT_TRUE(a.bytes.empty());
            break;
        case ONE:
            ASSERT_EQ(a.conType, TWON_ONEVALUE);
            ASSERT_EQ(a.bytes.size(), 6u);
            EXPECT_EQ(a.itemType, row.itemType);
            EXPECT_EQ(a.item(), row.value);
            break;
        case ENUM:
            ASSERT_EQ(a.conType, TWON_ENUMERATION);
            EXPECT_EQ(a.itemType, row.itemType);
            EXPECT_EQ(a.U32(2), row.value);
            EXPECT_EQ(a.U32(6), row.current);
            EXPECT_EQ(a.U32(10), row.fallback);
            EXPECT_EQ(a.bytes.size(), 16 + row.value * (row.itemType == TWTY_FIX32 ? 4u : 2u));
            break;
        case RANGE:
            ASSERT_EQ(a.conType, TWON_RANGE);
            ASSERT_EQ(a.bytes.size(), 22u);
            EXPECT_EQ(a.itemType, row.itemType);
            EXPECT_EQ(a.U32(14), row.fallback);
            EXPECT_EQ(a.U32(18), row.current);
            break;
        }
    }
}

TEST_F(Capabilities, ContainerBytesAreTheStandardLayouts) {
    OpenSource();
    Answer one = Ask(ICAP_XFERMECH, MSG_GETCURRENT);
    EXPECT_EQ(one.bytes, (std::vector<TW_UINT8>{0x04, 0x00, 0x02, 0x00, 0x00, 0x00}));

    Answer pixel = Ask(ICAP_PIXELTYPE, MSG_GET);
    EXPECT_EQ(pixel.bytes.size(), 22u);
    EXPECT_EQ(std::vector<TW_UINT8>(pixel.bytes.begin() + 14, pixel.bytes.begin() + 20),
              (std::vector<TW_UINT8>{0, 0, 1, 0, 2, 0}));

    Answer resolutions = Ask(ICAP_XRESOLUTION, MSG_GET);
    ASSERT_EQ(resolutions.bytes.size(), 84u);
    const int dpi[] = {36, 72, 100, 150, 200, 250, 300, 350, 400, 450, 500, 600, 700, 800, 900, 1000, 1200};
    for (int i = 0; i < 17; ++i) EXPECT_EQ(resolutions.U32(14 + 4 * i), Fix(dpi[i]));

    Answer brightness = Ask(ICAP_BRIGHTNESS, MSG_GETDEFAULT);
    EXPECT_EQ(brightness.U32(2), Fix(-1000));
    EXPECT_EQ(brightness.U32(6), Fix(1000));
    EXPECT_EQ(brightness.U32(10), Fix(1));
    Answer narrow = Ask(ICAP_BRIGHTNESS, MSG_GET);
    EXPECT_EQ(narrow.U32(2), Fix(-128));
    EXPECT_EQ(narrow.U32(6), Fix(127));

    Answer contrast = Ask(ICAP_CONTRAST, MSG_GETCURRENT);
    EXPECT_EQ((TW_INT32)contrast.U32(2), -1000);  // a true TW_INT32
    EXPECT_EQ((TW_INT32)contrast.U32(6), 1000);
    Answer control = Ask(ICAP_CONTRAST, MSG_GET);
    EXPECT_EQ((TW_INT32)control.U32(2), -128);
    EXPECT_EQ(control.U32(10), 8u);
}

TEST_F(Capabilities, UIControllableIsAFactOfTheScanModule) {
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
        Answer a = Ask(CAP_UICONTROLLABLE, msg);
        EXPECT_EQ(a.conType, TWON_ONEVALUE);
        EXPECT_EQ(a.itemType, TWTY_BOOL);
        EXPECT_EQ(a.item(), (TW_UINT32)TRUE);
    }
    EXPECT_EQ(SetOne(CAP_UICONTROLLABLE, TWTY_BOOL, FALSE), TWRC_FAILURE);
    EXPECT_EQ(Ask(CAP_UICONTROLLABLE, MSG_RESET).rc, TWRC_FAILURE);
}

TEST_F(Capabilities, StringAnswersCarryTheResourceTexts) {
    OpenSource();
    Answer author = Ask(CAP_AUTHOR, MSG_GET);
    EXPECT_EQ(author.bytes.size(), 132u);
    EXPECT_EQ(author.itemType, TWTY_STR128);
    EXPECT_EQ(author.text(), "VORDEN");
    Answer caption = Ask(CAP_CAPTION, MSG_GET);
    EXPECT_EQ(caption.bytes.size(), 258u);
    EXPECT_EQ(caption.text(), "Quorix Scanners Color Images.");
    Answer when = Ask(CAP_TIMEDATE, MSG_GET);
    EXPECT_EQ(when.bytes.size(), 36u);
    std::string text = when.text();
    ASSERT_EQ(text.size(), 25u);
    EXPECT_EQ(text[3], ' ');
    EXPECT_EQ(text[7], ' ');
    EXPECT_EQ(text[13], ':');
    EXPECT_EQ(text[16], ':');
    EXPECT_EQ(text[24], '\n');
}

TEST_F(Capabilities, AnsweredInEveryStateEvenBeforeOpen) {
    // Load-time values: RGB, 200 dpi.
    Answer pixel = Ask(ICAP_PIXELTYPE, MSG_GETCURRENT);
    EXPECT_EQ(pixel.item(), (TW_UINT32)TWPT_RGB);
    Answer resolution = Ask(ICAP_XRESOLUTION, MSG_GETCURRENT);
    EXPECT_EQ(resolution.item(), Fix(200));
    Answer feeder = Ask(CAP_FEEDERENABLED, MSG_GET);
    EXPECT_EQ(feeder.rc, TWRC_FAILURE);
    EXPECT_TRUE(feeder.bytes.empty());
    EXPECT_EQ(SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW), TWRC_SUCCESS);
}

TEST_F(Capabilities, ResolutionsShareOnePairAndAcceptOnlyListedWholeValues) {
    OpenSource();
    EXPECT_EQ(SetOne(ICAP_XRESOLUTION, TWTY_FIX32, Fix(600)), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_YRESOLUTION, MSG_GETCURRENT).item(), Fix(600));
    Answer list = Ask(ICAP_YRESOLUTION, MSG_GET);
    EXPECT_EQ(list.U32(6), 11u);
    EXPECT_EQ(list.U32(10), 6u);

    EXPECT_EQ(SetOne(ICAP_XRESOLUTION, TWTY_FIX32, Fix(301)), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    EXPECT_EQ(Ask(ICAP_XRESOLUTION, MSG_GETCURRENT).item(), Fix(600));
    EXPECT_EQ(SetOne(ICAP_YRESOLUTION, TWTY_FIX32, Fix(300, 0x8000)), TWRC_SUCCESS);  // 300.5 is 300
    EXPECT_EQ(Ask(ICAP_XRESOLUTION, MSG_GETCURRENT).item(), Fix(300));
}

TEST_F(Capabilities, SetGetResetRoundTrips) {
    OpenSource();
    EXPECT_EQ(SetOne(ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWFF_BMP), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_IMAGEFILEFORMAT, MSG_GETCURRENT).item(), (TW_UINT32)TWFF_BMP);
    EXPECT_EQ(Ask(ICAP_IMAGEFILEFORMAT, MSG_GET).U32(6), 1u);
    EXPECT_EQ(Ask(ICAP_IMAGEFILEFORMAT, MSG_GETDEFAULT).item(), (TW_UINT32)TWFF_TIFF);
    EXPECT_EQ(Ask(ICAP_IMAGEFILEFORMAT, MSG_RESET).item(), (TW_UINT32)TWFF_TIFF);
    EXPECT_EQ(Ask(ICAP_IMAGEFILEFORMAT, MSG_GETCURRENT).item(), (TW_UINT32)TWFF_TIFF);

    EXPECT_EQ(SetOne(CAP_XFERCOUNT, TWTY_INT16, 0xFFFF), TWRC_SUCCESS);
    EXPECT_EQ(Ask(CAP_XFERCOUNT, MSG_GETCURRENT).item(), 0xFFFFFFFFu);  // -1, sign-extended
    EXPECT_EQ(Ask(CAP_XFERCOUNT, MSG_GET).item(), 0u);

    EXPECT_EQ(SetOne(ICAP_BRIGHTNESS, TWTY_FIX32, Fix(50)), TWRC_SUCCESS);
    Answer reset = Ask(ICAP_BRIGHTNESS, MSG_RESET);
    EXPECT_EQ(reset.U32(18), Fix(0));
    EXPECT_EQ(reset.U32(2), Fix(-1000));

    EXPECT_EQ(SetOne(ICAP_SUPPORTEDSIZES, TWTY_UINT16, 9), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_SUPPORTEDSIZES, MSG_GETCURRENT).item(), (TW_UINT32)TWSS_A4LETTER);
    EXPECT_EQ(SetOne(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_USLEGAL), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_SUPPORTEDSIZES, MSG_GET).U32(6), 3u);
}

TEST_F(Capabilities, ValuesOutsideTheListAreRefused) {
    OpenSource();
    struct {
        TW_UINT16 cap, value;
    } outside[] = {
        {ICAP_COMPRESSION, TWCP_JPEG},
        {ICAP_PIXELTYPE, TWPT_CMYK},
        {ICAP_UNITS, TWUN_PIXELS},
        {ICAP_XFERMECH, 3},
        {ICAP_IMAGEFILEFORMAT, TWFF_JFIF},
        {ICAP_BITORDER, 2},
        {ICAP_PLANARCHUNKY, TWPC_PLANAR},
        {ICAP_SUPPORTEDSIZES, TWSS_B5LETTER},
        {ICAP_PIXELFLAVOR, 2},
        {ICAP_JPEGPIXELTYPE, 5},
    };
    for (const auto &o : outside) {
        SCOPED_TRACE(testing::Message() << std::hex << "cap 0x" << o.cap);
        Answer before = Ask(o.cap, MSG_GETCURRENT);
        EXPECT_EQ(SetOne(o.cap, TWTY_UINT16, o.value), TWRC_FAILURE);
        EXPECT_EQ(Status(), TWCC_BADVALUE);
        EXPECT_EQ(Ask(o.cap, MSG_GETCURRENT).item(), before.item());
    }
}

TEST_F(Capabilities, LightPathFollowsTheScannersReflectiveFlag) {
    PrepareScanModule();
    sm_->defaults.Reflective = 1;
    UnloadSource();
    LoadSource();
    OpenSource();
    EXPECT_EQ(Ask(ICAP_LIGHTPATH, MSG_GETDEFAULT).item(), (TW_UINT32)TWLP_REFLECTIVE);
    EXPECT_EQ(SetOne(ICAP_LIGHTPATH, TWTY_UINT16, TWLP_TRANSMISSIVE), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    EXPECT_EQ(Ask(ICAP_LIGHTPATH, MSG_GETCURRENT).item(), (TW_UINT32)TWLP_REFLECTIVE);
}

TEST_F(Capabilities, SetReadsEachContainerForm) {
    OpenSource();
    // An enumeration whose current item is gray.
    std::vector<TW_UINT8> e;
    Put16(e, TWTY_UINT16);
    Put32(e, 3);
    Put32(e, 1);
    Put32(e, 2);
    for (TW_UINT16 v : {TWPT_BW, TWPT_GRAY, TWPT_RGB}) Put16(e, v);
    EXPECT_EQ(Set(ICAP_PIXELTYPE, TWON_ENUMERATION, e), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_GET).U32(6), 1u);

    // A range of TW_FIX32 whose current value is 20.5: brightness 20.
    std::vector<TW_UINT8> r;
    Put16(r, TWTY_FIX32);
    for (TW_UINT32 v : {Fix(-100), Fix(100), Fix(1), Fix(0), Fix(20, 0x8000)}) Put32(r, v);
    EXPECT_EQ(Set(ICAP_BRIGHTNESS, TWON_RANGE, r), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_BRIGHTNESS, MSG_GETCURRENT).U32(18), Fix(20));

    // An array: item 0 is taken.
    std::vector<TW_UINT8> a;
    Put16(a, TWTY_UINT16);
    Put32(a, 2);
    Put16(a, TWSX_NATIVE);
    Put16(a, TWSX_FILE);
    EXPECT_EQ(Set(ICAP_XFERMECH, TWON_ARRAY, a), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETCURRENT).item(), (TW_UINT32)TWSX_NATIVE);

    // A one-byte item is widened, never mixed with an earlier value.
    EXPECT_EQ(SetOne(ICAP_BRIGHTNESS, TWTY_INT16, 0x0300), TWRC_SUCCESS);
    EXPECT_EQ(SetOne(ICAP_BRIGHTNESS, TWTY_UINT8, 0x05), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_BRIGHTNESS, MSG_GETCURRENT).U32(18), Fix(5));
    EXPECT_EQ(SetOne(ICAP_BRIGHTNESS, TWTY_INT8, 0xFB), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_BRIGHTNESS, MSG_GETCURRENT).U32(18), Fix(-5));
}

TEST_F(Capabilities, UntrustworthyContainersAreRefusedAndNothingIsStored) {
    OpenSource();
    auto expectRefused = [&](TW_UINT16 rc) {
        EXPECT_EQ(rc, TWRC_FAILURE);
        EXPECT_EQ(Status(), TWCC_BADVALUE);
        EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_GETCURRENT).item(), (TW_UINT32)TWPT_GRAY);
    };
    // Current index beyond the items.
    std::vector<TW_UINT8> e;
    Put16(e, TWTY_UINT16);
    Put32(e, 2);
    Put32(e, 2);
    Put32(e, 0);
    Put16(e, TWPT_BW);
    Put16(e, TWPT_RGB);
    expectRefused(Set(ICAP_PIXELTYPE, TWON_ENUMERATION, e));
    // A count that claims more items than the block holds.
    std::vector<TW_UINT8> big;
    Put16(big, TWTY_UINT16);
    Put32(big, 1000);
    Put32(big, 900);
    Put32(big, 0);
    Put16(big, TWPT_BW);
    expectRefused(Set(ICAP_PIXELTYPE, TWON_ENUMERATION, big));
    // Array index 0 of an empty array.
    std::vector<TW_UINT8> a;
    Put16(a, TWTY_UINT16);
    Put32(a, 0);
    expectRefused(Set(ICAP_PIXELTYPE, TWON_ARRAY, a));
    // Blocks smaller than their heads.
    expectRefused(Set(ICAP_PIXELTYPE, TWON_ONEVALUE, {0x04, 0x00, 0x00}));
    expectRefused(Set(ICAP_PIXELTYPE, TWON_RANGE, OneValue(TWTY_UINT16, 0)));
    // An item type the source does not know.
    expectRefused(SetOne(ICAP_PIXELTYPE, 0x20, TWPT_BW));
    // A container type that does not exist.
    expectRefused(Set(ICAP_PIXELTYPE, 7, OneValue(TWTY_UINT16, TWPT_BW)));
    // No block, and a block already freed.
    TW_CAPABILITY none{ICAP_PIXELTYPE, TWON_ONEVALUE, nullptr};
    expectRefused(Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &none));
    HGLOBAL freed = Block(OneValue(TWTY_UINT16, TWPT_BW));
    GlobalFree(freed);
    TW_CAPABILITY stale{ICAP_PIXELTYPE, TWON_ONEVALUE, freed};
    expectRefused(Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &stale));
}

TEST_F(Capabilities, FeederCapabilitiesFollowTheScanner) {
    PrepareScanModule();
    sm_->defaults.FeederPresent = 1;
    sm_->defaults.FeederEnabled = 1;
    sm_->defaults.FeederLoaded = 1;
    sm_->feederPaperResult = 0;
    UnloadSource();
    LoadSource();
    OpenSource();
    EXPECT_EQ(Ask(CAP_FEEDERENABLED, MSG_GET).item(), (TW_UINT32)TRUE);
    EXPECT_EQ(Ask(CAP_FEEDERLOADED, MSG_GET).item(), 1u);
    EXPECT_EQ(Ask(CAP_FEEDERLOADED, MSG_GETCURRENT).item(), 0u);  // asked of the scanner now
    EXPECT_EQ(Ask(CAP_AUTOFEED, MSG_GET).item(), (TW_UINT32)TRUE);

    EXPECT_EQ(SetOne(CAP_FEEDERENABLED, TWTY_BOOL, FALSE), TWRC_SUCCESS);
    Answer off = Ask(CAP_FEEDERENABLED, MSG_GET);
    EXPECT_EQ(off.rc, TWRC_FAILURE);
    EXPECT_EQ(off.cc, TWCC_BADVALUE);
    EXPECT_EQ(off.item(), (TW_UINT32)FALSE);
    EXPECT_EQ(Ask(CAP_FEEDERLOADED, MSG_GET).rc, TWRC_FAILURE);
    EXPECT_EQ(Ask(CAP_FEEDERENABLED, MSG_RESET).item(), (TW_UINT32)TRUE);
}

TEST_F(Capabilities, NegotiatedValuesReachTheScannerAndDefaultsReturnAfterTheTransfer) {
    OpenSource();
    EXPECT_EQ(SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW), TWRC_SUCCESS);
    EXPECT_EQ(SetOne(ICAP_XRESOLUTION, TWTY_FIX32, Fix(1200)), TWRC_SUCCESS);
    EXPECT_EQ(SetOne(ICAP_CONTRAST, TWTY_INT32, (TW_UINT32)-300), TWRC_SUCCESS);
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(sm_->lastRequest.PixelType, TWPT_BW);
    EXPECT_EQ(sm_->lastRequest.Resolution, 1200);
    EXPECT_EQ(sm_->lastRequest.Contrast, -300);

    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_GETCURRENT).item(), (TW_UINT32)TWPT_GRAY);
    EXPECT_EQ(Ask(ICAP_XRESOLUTION, MSG_GETCURRENT).item(), Fix(300));
}

TEST_F(Capabilities, FailedAllocationIsReportedAsLowMemory) {
    OpenSource();
    WinLayer_FailNthGlobalAlloc(1);
    TW_CAPABILITY cap{ICAP_PIXELTYPE, 0x5555, nullptr};
    EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
    WinLayer_ClearFaults();
    EXPECT_EQ(Status(), TWCC_LOWMEMORY);
    EXPECT_EQ(+cap.hContainer, nullptr);
    EXPECT_EQ(cap.ConType, 0x5555);
}
