// The source as a TWAIN 2.4 source ([Source] Protocol=2.4 in QRVM.INI): what
// it says it supports is what it does, the values TWAIN 2.4 gives at open and
// reset, values that outlive a transfer, the transfer count, the dialog for
// the settings alone, the scanner's facts and DAT_EXTIMAGEINFO. The checks
// of the certification's status group (030) and of its repeated opening
// (040, under the Working Group's manager in tests/twain2) are among them.
#include "harness.h"

#include <algorithm>
#include <string.h>
#include <string>
#include <vector>

namespace {

struct Answer {
    TW_UINT16 rc = 0, cc = 0, conType = 0;
    std::vector<TW_UINT8> bytes;
    TW_UINT16 itemType() const { return bytes.size() >= 2 ? (TW_UINT16)(bytes[0] | bytes[1] << 8) : 0xFFFF; }
    TW_UINT32 U32(size_t at) const {
        TW_UINT32 v = 0;
        if (bytes.size() >= at + 4) memcpy(&v, bytes.data() + at, 4);
        return v;
    }
    TW_UINT32 item() const { return U32(2); }  // a one-value's item
    TW_UINT16 U16(size_t at) const { return bytes.size() >= at + 2 ? (TW_UINT16)(bytes[at] | bytes[at + 1] << 8) : 0; }
};

TW_UINT32 Fix(int whole, unsigned frac = 0) { return (TW_UINT16)whole | (frac << 16); }

const TW_UINT16 kMandatory[] = {
    CAP_DEVICEONLINE,       CAP_SUPPORTEDCAPS, CAP_SUPPORTEDDATS,
    CAP_UICONTROLLABLE,     CAP_XFERCOUNT,     ICAP_BITDEPTH,
    ICAP_BITORDER,          ICAP_COMPRESSION,  ICAP_PHYSICALWIDTH,
    ICAP_PHYSICALHEIGHT,    ICAP_PIXELFLAVOR,  ICAP_PIXELTYPE,
    ICAP_PLANARCHUNKY,      ICAP_UNITS,        ICAP_XFERMECH,
    ICAP_XRESOLUTION,       ICAP_YRESOLUTION,  ICAP_XNATIVERESOLUTION,
    ICAP_YNATIVERESOLUTION,
};

}  // namespace

class Twain24 : public DataSourceTest {
protected:
    // DAT_EXTIMAGEINFO for the page number, the frame, a bar code's text
    // (which the source does not have) and the frame number, into `info`.
    TW_UINT16 AskExtImageInfo(TW_INFO info[4]) {
        const TW_UINT16 ids[4] = {TWEI_PAGENUMBER, TWEI_FRAME, 0x1202 /* TWEI_BARCODETEXT */, TWEI_FRAMENUMBER};
        std::vector<TW_UINT8> record(sizeof(TW_UINT32) + 4 * sizeof(TW_INFO));
        TW_UINT32 count = 4;
        memcpy(record.data(), &count, 4);
        for (int k = 0; k < 4; ++k) {
            TW_INFO request{};
            request.InfoID = ids[k];
            memcpy(record.data() + 4 + k * sizeof(TW_INFO), &request, sizeof request);
        }
        TW_UINT16 rc = Call(DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET, record.data());
        memcpy(info, record.data() + 4, 4 * sizeof(TW_INFO));
        return rc;
    }
    // A TWTY_FRAME item's frame; its block is the application's to free.
    static TW_FRAME TakeFrame(const TW_INFO &item) {
        TW_FRAME frame{};
        EXPECT_EQ(item.ReturnCode, TWRC_SUCCESS);
        EXPECT_EQ(item.ItemType, TWTY_FRAME);
        HGLOBAL block = reinterpret_cast<HGLOBAL>(item.Item);
        if (item.ReturnCode != TWRC_SUCCESS || !block) return frame;
        memcpy(&frame, GlobalLock(block), sizeof frame);
        GlobalUnlock(block);
        GlobalFree(block);
        return frame;
    }
    void SetUp() override {
        DataSourceTest::SetUp();
        WriteSettings("[Source]\nProtocol=2.4\n");
    }

    Answer Ask(TW_UINT16 capId, TW_UINT16 msg) {
        TW_CAPABILITY cap{capId, TWON_DONTCARE16, nullptr};
        Answer a;
        a.rc = Call(DG_CONTROL, DAT_CAPABILITY, msg, &cap);
        a.cc = Status();
        if (cap.hContainer) {
            a.conType = cap.ConType;
            auto *data = static_cast<TW_UINT8 *>(GlobalLock(cap.hContainer));
            a.bytes.assign(data, data + GlobalSize(cap.hContainer));
            GlobalUnlock(cap.hContainer);
            GlobalFree(cap.hContainer);
        }
        return a;
    }

    // MSG_SET with the given container bytes; the condition code after it.
    TW_UINT16 SetBytes(TW_UINT16 capId, TW_UINT16 conType, const std::vector<TW_UINT8> &bytes, TW_UINT16 *cc) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        TW_CAPABILITY cap{capId, conType, block};
        TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
        *cc = Status();
        GlobalFree(block);
        return rc;
    }

    TW_UINT16 Set(TW_UINT16 capId, TW_UINT16 itemType, TW_UINT32 item, TW_UINT16 *cc = nullptr) {
        std::vector<TW_UINT8> bytes(6);
        memcpy(&bytes[0], &itemType, 2);
        memcpy(&bytes[2], &item, 4);
        TW_UINT16 ignored;
        return SetBytes(capId, TWON_ONEVALUE, bytes, cc ? cc : &ignored);
    }

    std::vector<TW_UINT16> SupportedCaps() {
        Answer a = Ask(CAP_SUPPORTEDCAPS, MSG_GET);
        EXPECT_EQ(a.conType, TWON_ARRAY);
        EXPECT_EQ(a.itemType(), TWTY_UINT16);
        std::vector<TW_UINT16> ids;
        for (TW_UINT32 i = 0; i < a.U32(2); ++i) ids.push_back(a.U16(6 + 2 * i));
        return ids;
    }

    TW_UINT16 TransferNative() {
        TW_HANDLE dib = nullptr;
        TW_UINT16 rc = Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib);
        if (dib) GlobalFree(dib);
        return rc;
    }

    TW_UINT16 EndXfer(TW_UINT16 *count) {
        TW_PENDINGXFERS pending{};
        TW_UINT16 rc = Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        *count = pending.Count;
        return rc;
    }
};

TEST_F(Twain24, IdentitySaysProtocol24AndAnyOtherValueKeeps15) {
    LoadSource();
    TW_IDENTITY identity{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(identity.ProtocolMajor, 2);
    EXPECT_EQ(identity.ProtocolMinor, 4);
    EXPECT_NE(identity.SupportedGroups & DF_DS2, 0u);
    UnloadSource();

    WriteSettings("[Source]\nProtocol=2.40\n");
    LoadSource();
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(identity.ProtocolMajor, 1);
    EXPECT_EQ(identity.ProtocolMinor, 5);
    Open();  // and it still opens
}

// MSG_QUERYSUPPORT must not promise a message the capability refuses, nor
// hide one it answers; gets other than MSG_GET answer one value (or the
// array of an array capability).
TEST_F(Twain24, EachListedCapabilityAnswersExactlyTheMessagesItsQuerySupportNames) {
    LoadSource();
    Open();
    std::vector<TW_UINT16> ids = SupportedCaps();
    for (TW_UINT16 mandatory : kMandatory)
        EXPECT_NE(std::find(ids.begin(), ids.end(), mandatory), ids.end()) << "missing mandatory cap " << mandatory;
    const struct {
        TW_UINT16 msg;
        TW_INT32 bit;
    } kMessages[] = {{MSG_GET, 0x1}, {MSG_GETCURRENT, 0x8}, {MSG_GETDEFAULT, 0x4}, {MSG_RESET, 0x10}};
    for (TW_UINT16 id : ids) {
        SCOPED_TRACE(id);
        Answer query = Ask(id, MSG_QUERYSUPPORT);
        ASSERT_EQ(query.rc, TWRC_SUCCESS);
        ASSERT_EQ(query.conType, TWON_ONEVALUE);
        ASSERT_EQ(query.itemType(), TWTY_INT32);
        TW_INT32 bits = (TW_INT32)query.item();
        EXPECT_EQ(bits & 0xD, 0xD) << "the three gets";
        Answer current = Ask(id, MSG_GETCURRENT);
        for (const auto &m : kMessages) {
            Answer a = Ask(id, m.msg);
            EXPECT_EQ(a.rc == TWRC_SUCCESS, (bits & m.bit) != 0) << "message " << m.msg;
            if (a.rc != TWRC_SUCCESS) {
                EXPECT_EQ(a.cc, TWCC_CAPBADOPERATION) << "message " << m.msg;
            } else if (m.msg != MSG_GET) {
                bool array = id == CAP_SUPPORTEDCAPS || id == CAP_SUPPORTEDDATS;
                EXPECT_EQ(a.conType, array ? TWON_ARRAY : TWON_ONEVALUE) << "message " << m.msg;
            }
        }
        TW_UINT16 cc = 0;
        TW_UINT16 rc = SetBytes(id, current.conType, current.bytes, &cc);
        EXPECT_EQ(rc == TWRC_SUCCESS, (bits & 0x2) != 0) << "MSG_SET of the current value, " << cc;
    }
    for (TW_UINT16 unsupported : {(TW_UINT16)ICAP_FRAMES, (TW_UINT16)ICAP_MAXFRAMES, (TW_UINT16)0x8001}) {
        EXPECT_EQ(Ask(unsupported, MSG_QUERYSUPPORT).cc, TWCC_BADCAP);
        EXPECT_EQ(Ask(unsupported, MSG_GET).cc, TWCC_BADCAP);
    }
}

// The scanner's own defaults that TWAIN 2.4 overrules: a vanilla flavor and
// automatic brightness; and the transfer count, mechanism and indicators.
TEST_F(Twain24, OpenAndResetAllGiveTheDefaultsOfTwain24) {
    PrepareScanModule();
    sm_->defaults.PixelFlavor = TWPF_VANILLA;
    sm_->defaults.AutoBright = 1;
    LoadSource();
    Open();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(Ask(CAP_XFERCOUNT, MSG_GETCURRENT).item(), 0xFFFFFFFFu);
        EXPECT_EQ(Ask(ICAP_XFERMECH, MSG_GETCURRENT).item(), (TW_UINT32)TWSX_NATIVE);
        EXPECT_EQ(Ask(CAP_INDICATORS, MSG_GETCURRENT).item(), (TW_UINT32)TRUE);
        EXPECT_EQ(Ask(ICAP_PIXELFLAVOR, MSG_GETCURRENT).item(), (TW_UINT32)TWPF_CHOCOLATE);
        EXPECT_EQ(Ask(ICAP_AUTOBRIGHT, MSG_GETCURRENT).item(), (TW_UINT32)FALSE);
        EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_GETCURRENT).item(), (TW_UINT32)TWPT_GRAY) << "the scanner's own";
        // Changed, then back with MSG_RESETALL.
        EXPECT_EQ(Set(CAP_XFERCOUNT, TWTY_INT16, 3), TWRC_SUCCESS);
        EXPECT_EQ(Set(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
        EXPECT_EQ(Set(CAP_INDICATORS, TWTY_BOOL, FALSE), TWRC_SUCCESS);
        EXPECT_EQ(Set(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW), TWRC_SUCCESS);
        TW_CAPABILITY none{0, TWON_DONTCARE16, nullptr};
        ASSERT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_RESETALL, &none), TWRC_SUCCESS);
    }
    TW_UINT16 cc = 0;
    EXPECT_EQ(Set(CAP_XFERCOUNT, TWTY_INT16, 0, &cc), TWRC_FAILURE);
    EXPECT_EQ(cc, TWCC_BADVALUE);
}

// A scanner that is not reflective-only: transmissive is the light path
// from the open on, and taken at once.
TEST_F(Twain24, LightPathAtOpenIsTheScannersDefault) {
    PrepareScanModule();
    sm_->defaults.Reflective = 0;
    LoadSource();
    Open();
    // Neither of these two asks for the default first.
    EXPECT_EQ(Ask(ICAP_LIGHTPATH, MSG_GETCURRENT).item(), (TW_UINT32)TWLP_TRANSMISSIVE);
    EXPECT_EQ(Set(ICAP_LIGHTPATH, TWTY_UINT16, TWLP_TRANSMISSIVE), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_LIGHTPATH, MSG_GETDEFAULT).item(), (TW_UINT32)TWLP_TRANSMISSIVE);
}

TEST_F(Twain24, NegotiatedValuesOutliveTheTransferUntilReset) {
    LoadSource();
    Open();
    ASSERT_EQ(Set(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW), TWRC_SUCCESS);
    ASSERT_EQ(Set(ICAP_BRIGHTNESS, TWTY_FIX32, Fix(40)), TWRC_SUCCESS);
    sm_->noUIAnnounces = TRUE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(sm_->lastRequest.PixelType, TWPT_BW);
    ASSERT_EQ(TransferNative(), TWRC_XFERDONE);
    TW_UINT16 count = 9;
    ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ProbeState(), 500);
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, nullptr), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_GETCURRENT).item(), (TW_UINT32)TWPT_BW);
    EXPECT_EQ(Ask(ICAP_BRIGHTNESS, MSG_GETCURRENT).item(), Fix(40));
    EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_RESET).item(), (TW_UINT32)TWPT_GRAY);
    EXPECT_EQ(Ask(ICAP_BRIGHTNESS, MSG_GETCURRENT).item(), Fix(40)) << "MSG_RESET touches one capability";
}

// Values are changed before the source is enabled, and read while it is open.
TEST_F(Twain24, CapabilitiesChangeOnlyInState4) {
    LoadSource();
    TW_CAPABILITY closed{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &closed), TWRC_FAILURE) << "not open";
    TW_HANDLE container = closed.hContainer;  // packed: read before comparing
    EXPECT_EQ(container, nullptr);
    Open();
    sm_->noUIAnnounces = FALSE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_GETCURRENT).rc, TWRC_SUCCESS);
    TW_UINT16 cc = 0;
    EXPECT_EQ(Set(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW, &cc), TWRC_FAILURE);
    EXPECT_EQ(cc, TWCC_SEQERROR);
    EXPECT_EQ(Ask(ICAP_PIXELTYPE, MSG_RESET).cc, TWCC_SEQERROR);
}

// CAP_XFERCOUNT 2 of a job of three: two images, then the source is done.
TEST_F(Twain24, TheTransferCountEndsTheJobEarly) {
    LoadSource();
    Open();
    ASSERT_EQ(Set(CAP_XFERCOUNT, TWTY_INT16, 2), TWRC_SUCCESS);
    sm_->jobImagesLeft = 2;  // after the first
    sm_->noUIAnnounces = TRUE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    ASSERT_EQ(TransferNative(), TWRC_XFERDONE);
    TW_UINT16 count = 0;
    ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(ProbeState(), 600);
    ASSERT_EQ(TransferNative(), TWRC_XFERDONE);
    ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ProbeState(), 500);
}

// What the certification's status group (030) checks, which its own script
// cannot report on Linux: state 5 through the dialog for the settings alone,
// and transfer triplets that are not MSG_GET.
TEST_F(Twain24, SettingsOnlyDialogEndsWithCloseDSOKAndNoImage) {
    LoadSource();
    Open();
    TW_UINT32 handle = 0;
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_SET, &handle), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    TW_IMAGEMEMXFER strip{};
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_SET, &strip), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GETCURRENT, nullptr), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);

    sm_->openUIAnnounces = TRUE;  // the user is done at once
    sm_->announceFlag = 0;
    sm_->log[0] = '\0';
    TW_USERINTERFACE ui{TRUE, FALSE, nullptr};
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, &ui), TWRC_SUCCESS);
    EXPECT_EQ(dsm->lastMSG, MSG_CLOSEDSOK);
    EXPECT_EQ(strstr(sm_->log, "UpdateImageInfo"), nullptr) << sm_->log;
    EXPECT_NE(strstr(sm_->log, "GetDefValue"), nullptr) << "the user's settings are read back";
    TW_IMAGELAYOUT layout{};
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, &layout), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    EXPECT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(ProbeState(), 400);
}

TEST_F(Twain24, FlatbedFeederIsOffAndStaysOff) {
    LoadSource();
    Open();
    Answer get = Ask(CAP_FEEDERENABLED, MSG_GET);
    ASSERT_EQ(get.rc, TWRC_SUCCESS);
    EXPECT_EQ(get.conType, TWON_ENUMERATION);
    EXPECT_EQ(get.U32(2), 1u) << "FALSE alone";
    EXPECT_EQ(get.U16(14), FALSE);
    EXPECT_EQ(Set(CAP_FEEDERENABLED, TWTY_BOOL, FALSE), TWRC_SUCCESS);
    TW_UINT16 cc = 0;
    EXPECT_EQ(Set(CAP_FEEDERENABLED, TWTY_BOOL, TRUE, &cc), TWRC_FAILURE);
    EXPECT_EQ(cc, TWCC_BADVALUE);
    EXPECT_EQ(Ask(CAP_FEEDERLOADED, MSG_GET).cc, TWCC_BADCAP);
    EXPECT_EQ(Ask(CAP_AUTOFEED, MSG_GET).cc, TWCC_BADCAP);
}

TEST_F(Twain24, FeederScannerTakesBothFeederValues) {
    PrepareScanModule();
    sm_->defaults.FeederPresent = 1;
    sm_->feederPaperResult = 1;
    LoadSource();
    Open();
    EXPECT_EQ(Ask(CAP_FEEDERENABLED, MSG_GET).U32(2), 2u);
    EXPECT_EQ(Set(CAP_FEEDERENABLED, TWTY_BOOL, TRUE), TWRC_SUCCESS);
    EXPECT_EQ(Ask(CAP_FEEDERENABLED, MSG_GETCURRENT).item(), (TW_UINT32)TRUE);
    EXPECT_EQ(Ask(CAP_FEEDERLOADED, MSG_GETCURRENT).item(), (TW_UINT32)TRUE);
}

TEST_F(Twain24, ScannerFactsComeFromTheScanModule) {
    LoadSource();
    Open();
    EXPECT_EQ(Ask(ICAP_PHYSICALWIDTH, MSG_GETDEFAULT).item(), Fix(8, 0x8000));
    EXPECT_EQ(Ask(ICAP_PHYSICALHEIGHT, MSG_GETCURRENT).item(), Fix(14));
    EXPECT_EQ(Ask(ICAP_XNATIVERESOLUTION, MSG_GET).item(), Fix(600));
    EXPECT_EQ(Ask(CAP_DEVICEONLINE, MSG_GETCURRENT).item(), (TW_UINT32)TRUE);
    ASSERT_EQ(Set(ICAP_UNITS, TWTY_UINT16, TWUN_CENTIMETERS), TWRC_SUCCESS);
    Answer cm = Ask(ICAP_PHYSICALWIDTH, MSG_GET);
    EXPECT_EQ(cm.item() & 0xFFFF, 21u) << "21.59 cm";
    sm_->online = 0;
    EXPECT_EQ(Ask(CAP_DEVICEONLINE, MSG_GETCURRENT).item(), (TW_UINT32)FALSE);
}

// A scan module written before the optional operations existed.
TEST_F(Twain24, ScanModuleWithoutTheOptionalOperationsStillAnswers) {
    UseScanModule(ScanModuleKind::Partial);
    LoadSource();
    Open();
    EXPECT_EQ(Ask(ICAP_PHYSICALWIDTH, MSG_GET).item(), Fix(8, 0x8000));
    EXPECT_EQ(Ask(ICAP_PHYSICALHEIGHT, MSG_GET).item(), Fix(11, 0x8000));
    EXPECT_EQ(Ask(ICAP_YNATIVERESOLUTION, MSG_GET).item(), Fix(1200));
    EXPECT_EQ(Ask(CAP_DEVICEONLINE, MSG_GET).U16(14), TRUE);
    EXPECT_EQ(Ask(CAP_UICONTROLLABLE, MSG_GETCURRENT).item(), (TW_UINT32)FALSE);
}

TEST_F(Twain24, ExtImageInfoDescribesTheTransferredImage) {
    LoadSource();
    ReachXferReady();
    TW_INFO info[4]{};
    EXPECT_EQ(AskExtImageInfo(info), TWRC_FAILURE) << "before the transfer";
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    ASSERT_EQ(TransferNative(), TWRC_XFERDONE);
    ASSERT_EQ(AskExtImageInfo(info), TWRC_SUCCESS);
    EXPECT_EQ(info[0].ReturnCode, TWRC_SUCCESS);
    EXPECT_EQ(info[0].ItemType, TWTY_UINT32);
    TW_UINTPTR pageNumber = info[0].Item, frameNumber = info[3].Item;  // packed: read before comparing
    EXPECT_EQ(pageNumber, 1u);
    TW_FRAME frame = TakeFrame(info[1]);
    EXPECT_EQ(frame.Right.Whole, 0);  // 100 pixels at 300 dpi: a third of an inch
    EXPECT_NEAR(frame.Right.Frac / 65536.0, 1.0 / 3, 0.001);
    EXPECT_EQ(info[2].ReturnCode, TWRC_INFONOTSUPPORTED);
    EXPECT_EQ(frameNumber, 1u);
}

// A frame the application placed at the far edge of what TW_FIX32 holds: the
// image's far corner is the largest value, not a wrapped one.
TEST_F(Twain24, ExtImageInfoFrameBeyondTheLargestValueIsTheLargest) {
    LoadSource();
    Open();
    TW_IMAGELAYOUT layout{};
    layout.Frame.Left = layout.Frame.Top = TW_FIX32{32767, 0xC000};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
    sm_->noUIAnnounces = TRUE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    ASSERT_EQ(TransferNative(), TWRC_XFERDONE);
    TW_INFO info[4]{};
    ASSERT_EQ(AskExtImageInfo(info), TWRC_SUCCESS);
    TW_FRAME frame = TakeFrame(info[1]);
    EXPECT_EQ(frame.Right.Whole, 32767);
    EXPECT_EQ(frame.Right.Frac, 0xFFFF);
    EXPECT_EQ(frame.Bottom.Whole, 32767);
}

// A window of the application's that, once the transfer's message pump
// delivers its message, looks for the progress dialog.
bool gDialogSeen = false;
LRESULT CALLBACK LookForProgress(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_APP) return DefWindowProcA(window, message, w, l);
    gDialogSeen = FindWindowA(nullptr, "Image Data Transferring...") != nullptr;
    return 0;
}

// CAP_INDICATORS: a long copy shows its progress dialog, and none once the
// application turned them off.
TEST_F(Twain24, IndicatorsChooseWhetherTheProgressDialogShows) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LookForProgress;
    windowClass.lpszClassName = "QrvmTestLooker";
    RegisterClassA(&windowClass);
    HWND looker = CreateWindowExA(0, "QrvmTestLooker", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    PrepareScanModule();
    LoadSource();
    Open();
    for (TW_UINT16 indicators : {TRUE, FALSE}) {
        SCOPED_TRACE(indicators);
        ASSERT_EQ(Set(CAP_INDICATORS, TWTY_BOOL, indicators), TWRC_SUCCESS);
        sm_->imageInfo.ImageLength = -1;  // received in blocks: the copy that shows progress
        sm_->uniformBlocks = 4;
        sm_->uniformRows = 10;
        sm_->blocksDelivered = 0;
        sm_->noUIAnnounces = TRUE;
        ASSERT_EQ(Enable(false), TWRC_SUCCESS);
        gDialogSeen = false;
        PostMessageA(looker, WM_APP, 0, 0);
        ASSERT_EQ(TransferNative(), TWRC_XFERDONE);
        EXPECT_EQ(gDialogSeen, indicators == TRUE);
        TW_UINT16 count = 0;
        ASSERT_EQ(EndXfer(&count), TWRC_SUCCESS);
        ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, nullptr), TWRC_SUCCESS);
    }
    DestroyWindow(looker);
}
