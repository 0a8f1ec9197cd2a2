// Opening, enabling, disabling and closing; pending transfers; the settings
// exchanged with the scan module; the scan module's callbacks.
#include "harness.h"

#include <string>

class Session : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        LoadSource();
    }
    std::string Log() const { return sm_->log; }
    bool Logged(const char *op) const { return Log().find(op) != std::string::npos; }
    int CountOf(const char *op) const {
        int n = 0;
        for (size_t at = Log().find(op); at != std::string::npos; at = Log().find(op, at + 1)) ++n;
        return n;
    }
};

TEST_F(Session, OpenRecordsBothIdentitiesAndReadsTheScannerSettings) {
    sm_->log[0] = '\0';
    Open();
    EXPECT_EQ(Log(), "ConnectScanner(0) GetDefValue");
    TW_IDENTITY identity{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(+identity.Id, 42u);
    EXPECT_STREQ(identity.ProductName, "Fake Flatbed");
    EXPECT_EQ(ProbeState(), 400);
}

TEST_F(Session, SecondOpenIsRefusedAndLeavesTheFirstConnection) {
    Open();
    TW_IDENTITY again = identity_;
    again.Id = 99;
    EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &again), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    EXPECT_EQ(CountOf("ConnectScanner(0)"), 1);
    TW_IDENTITY identity{};
    Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
    EXPECT_EQ(+identity.Id, 42u);
}

TEST_F(Session, ScannerThatCannotConnectKeepsTheSourceClosed) {
    sm_->connectResult = 0;
    TW_IDENTITY identity{};
    Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
    identity.Id = 42;
    EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_FAILURE);
    // Status itself is refused in state 3; the failure's code was 5.
    TW_STATUS status{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
    EXPECT_FALSE(Logged("GetDefValue"));
    EXPECT_EQ(ProbeState(), 300);
    sm_->connectResult = 1;
    Open();  // and a later open works
}

TEST_F(Session, EnableWithoutDialogScansAtOnceAndAnnouncementMovesTo600) {
    Open();
    TW_USERINTERFACE ui{};
    ui.ShowUI = FALSE;
    ui.ModalUI = FALSE;
    ui.hParent = reinterpret_cast<TW_HANDLE>(0x4321);
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(ui.ModalUI, TRUE);
    EXPECT_EQ(sm_->uiParent, reinterpret_cast<HWND>(0x4321));
    EXPECT_EQ(CountOf("UpdateImageInfo"), 1);
    EXPECT_EQ(ProbeState(), 600);
    EXPECT_EQ(dsm->lastMSG, MSG_XFERREADY);
    EXPECT_EQ(dsm->lastDG, (TW_UINT32)DG_CONTROL);
    EXPECT_EQ(dsm->lastDAT, DAT_NULL);
    EXPECT_EQ(dsm->lastOriginId, 42u);
    EXPECT_EQ(dsm->lastDestId, 7u);
    EXPECT_EQ(dsm->lastData, nullptr);
}

TEST_F(Session, EnableWithoutDialogOrAnnouncementStaysAt500) {
    Open();
    sm_->noUIAnnounces = FALSE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(ProbeState(), 500);
    EXPECT_EQ(dsm->calls, 0);
}

TEST_F(Session, AnnouncementWithNonZeroFlagFetchesInfoButTellsNobody) {
    Open();
    sm_->announceFlag = 1;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(CountOf("UpdateImageInfo"), 1);
    EXPECT_EQ(ProbeState(), 500);
    EXPECT_EQ(dsm->calls, 0);
}

TEST_F(Session, FailedScanWithoutDialogIsLowMemoryIn500) {
    Open();
    sm_->noUIAnnounces = FALSE;
    sm_->noUIResult = 0;
    EXPECT_EQ(Enable(false), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_LOWMEMORY);
    EXPECT_EQ(ProbeState(), 500);
}

TEST_F(Session, DialogOpensOnceAndDisableOnlyHidesIt) {
    Open();
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    HWND window = sm_->uiWindow;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ProbeState(), 500);

    TW_USERINTERFACE ui{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    EXPECT_EQ(ProbeState(), 400);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));

    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(CountOf("OpenSMUI"), 1);
}

TEST_F(Session, DialogThatCannotOpenIsLowMemoryIn400) {
    Open();
    sm_->openUIFails = TRUE;
    EXPECT_EQ(Enable(true), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_LOWMEMORY);
    EXPECT_EQ(ProbeState(), 400);
}

// A dialog nobody can see scans as it opens: the image is heard and the
// enable ends in state 6; one that then fails to open takes it back.
TEST_F(Session, DialogThatScansAsItOpensIsHeard) {
    Open();
    sm_->openUIAnnounces = TRUE;
    sm_->announceFlag = 0;
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    EXPECT_EQ(dsm->lastMSG, MSG_XFERREADY);
    EXPECT_EQ(ProbeState(), 600);
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    TW_USERINTERFACE ui{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);

    Open();
    sm_->openUIFails = TRUE;
    EXPECT_EQ(Enable(true), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_LOWMEMORY);
    EXPECT_EQ(ProbeState(), 400);
    sm_->openUIFails = FALSE;
    sm_->openUIAnnounces = FALSE;
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    EXPECT_EQ(ProbeState(), 500);
}

TEST_F(Session, EnableWhenEnabledIsRefusedYetSendsTheSettings) {
    Open();
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    int sent = sm_->setDefValueCalls;
    EXPECT_EQ(Enable(true), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    EXPECT_EQ(sm_->setDefValueCalls, sent + 1);
}

TEST_F(Session, CloseWithDialogClosesIt) {
    Open();
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    HWND window = sm_->uiWindow;
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);
    EXPECT_TRUE(Logged("CloseSMUI"));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ProbeState(), 300);
    // The window is forgotten: its messages are no longer taken.
    MSG message{};
    message.hwnd = window;
    TW_EVENT event{&message, 0};
    EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
}

TEST_F(Session, CloseWithoutDialogLeavesAnEarlierWindowOpen) {
    Open();
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    TW_USERINTERFACE ui{};
    Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    sm_->noUIAnnounces = FALSE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);
    EXPECT_FALSE(Logged("CloseSMUI"));
    EXPECT_TRUE(IsWindow(sm_->uiWindow));
}

TEST_F(Session, CallbacksAfterDisableAreDropped) {
    Open();
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    TW_USERINTERFACE ui{};
    Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    readytoScan_(0);
    readytoCloseSM_();
    EXPECT_FALSE(Logged("UpdateImageInfo"));
    EXPECT_EQ(dsm->calls, 0);
    EXPECT_EQ(ProbeState(), 400);
}

TEST_F(Session, SecondAnnouncementBeforeTransferIsIgnored) {
    Open();
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    readytoScan_(0);
    readytoScan_(0);
    EXPECT_EQ(CountOf("UpdateImageInfo"), 1);
    EXPECT_EQ(dsm->calls, 1);
}

TEST_F(Session, CloseRequestReachesTheApplicationWithoutStateChange) {
    Open();
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    readytoCloseSM_();
    EXPECT_EQ(dsm->lastMSG, MSG_CLOSEDSREQ);
    EXPECT_EQ(dsm->lastOriginId, 42u);
    EXPECT_EQ(dsm->lastDestId, 7u);
    EXPECT_EQ(ProbeState(), 500);
}

TEST_F(Session, ImageInfoIsServedIn600Only) {
    Open();
    TW_IMAGEINFO info{};
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageWidth, 100);
    EXPECT_EQ(info.ImageLength, 50);
    EXPECT_EQ(info.BitsPerPixel, 8);
}

TEST_F(Session, SettingsRoundTripThroughTheScanModule) {
    sm_->defaults.Compression = TWCP_NONE;
    sm_->defaults.FeederEnabled = 1;
    sm_->defaults.FeederPresent = 1;
    sm_->defaults.FeederLoaded = 1;
    sm_->defaults.AutoBright = 1;
    sm_->defaults.Reflective = 1;
    sm_->defaults.PixelType = TWPT_BW;
    sm_->defaults.PixelFlavor = TWPF_VANILLA;
    sm_->defaults.SupportedSize = TWSS_USLETTER;
    sm_->defaults.JpegPixelType = TWPT_GRAY;
    sm_->defaults.Resolution = 600;
    Open();
    TW_IMAGELAYOUT layout{};
    layout.Frame.Left = {1, 0x8000};
    layout.Frame.Top = {2, 0};
    layout.Frame.Right = {8, 0x4000};
    layout.Frame.Bottom = {11, 0};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
    sm_->noUIAnnounces = FALSE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);

    const ScanSettings &sent = sm_->lastRequest;
    EXPECT_EQ(sent.FeederPresent, 0);  // never sent back
    EXPECT_EQ(sent.FeederLoaded, 0);
    EXPECT_EQ(sent.FeederEnabled, 1);
    EXPECT_EQ(sent.AutoBright, 1);
    EXPECT_EQ(sent.Reflective, 1);
    EXPECT_EQ(sent.PixelType, TWPT_BW);
    EXPECT_EQ(sent.PixelFlavor, TWPF_VANILLA);
    EXPECT_EQ(sent.SupportedSize, TWSS_USLETTER);
    EXPECT_EQ(sent.JpegPixelType, TWPT_GRAY);
    EXPECT_EQ(sent.Resolution, 600);
    EXPECT_EQ(sent.Frame[0].Whole, 1);
    EXPECT_EQ(sent.Frame[0].Frac, 0x8000);
    EXPECT_EQ(sent.Frame[2].Frac, 0x4000);
    EXPECT_EQ(sent.Frame[3].Whole, 11);
    EXPECT_EQ(sent.Brightness, 0);
    EXPECT_EQ(sent.Contrast, 0);
    EXPECT_EQ(sent.Units, TWUN_INCHES);
}

TEST_F(Session, ResolutionOutsideTheListKeepsThePreviousDefault) {
    sm_->defaults.Resolution = 120;
    Open();
    sm_->noUIAnnounces = FALSE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(sm_->lastRequest.Resolution, 200);  // the default at load
}

TEST_F(Session, PendingCountAndEndOfJobAreReportedInEveryCase) {
    Open();
    TW_PENDINGXFERS pending{};
    pending.Count = 77;
    pending.EOJ = 0xFFFFFFFF;
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(+pending.EOJ, 0u);

    pending.EOJ = 0xFFFFFFFF;
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_FAILURE);
    EXPECT_EQ(+pending.EOJ, 0u);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
}

TEST_F(Session, EndXferWithImagesLeftStaysReadyWithFreshImageInfo) {
    ReachXferReady();
    sm_->jobImagesLeft = 2;
    sm_->imageInfo.ImageWidth = 640;
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 2);
    EXPECT_EQ(ProbeState(), 600);
    TW_IMAGEINFO info{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageWidth, 640);
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);  // the count was cleared by the end
}

TEST_F(Session, EndXferOfLastImageReturnsTo500UnlessPaperIsLoaded) {
    ReachXferReady();
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(ProbeState(), 500);
    EXPECT_EQ(CountOf("CheckScanJob"), 1);

    readytoScan_(0);  // the image ended, so the next one is heard
    EXPECT_EQ(ProbeState(), 600);
    sm_->defaults.FeederLoaded = 1;
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(ProbeState(), 600);
}

TEST_F(Session, EndXferRestoresTheScannerDefaults) {
    sm_->defaults.PixelType = TWPT_GRAY;
    ReachXferReady();
    sm_->defaults.PixelType = TWPT_BW;  // the user chose another in the dialog
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    TW_USERINTERFACE ui{};
    Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    sm_->noUIAnnounces = FALSE;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(sm_->lastRequest.PixelType, TWPT_BW);
}

TEST_F(Session, ResetCountsOnePageWhenTheFeederHoldsPaper) {
    sm_->defaults.FeederEnabled = 1;
    sm_->defaults.FeederLoaded = 1;
    ReachXferReady();
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 1);
    EXPECT_EQ(ProbeState(), 500);
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 1);
}

TEST_F(Session, ResetDropsTheImageSoTheNextAnnouncementIsHeard) {
    ReachXferReady();
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    readytoScan_(0);
    EXPECT_EQ(ProbeState(), 600);
    EXPECT_EQ(CountOf("UpdateImageInfo"), 2);
}

TEST_F(Session, CloseDropsAnAnnouncedImage) {
    ReachXferReady();
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);
    Open();
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(ProbeState(), 600);
}

TEST_F(Session, AnnouncementWithoutSourceManagerChangesStateOnly) {
    UnloadSource();
    twain2Manager_ = false;
    unsetenv("WINDIR");
    setenv("WINDIR", (folder_ + "/nowhere").c_str(), 1);
    LoadSource();
    ReachXferReady();
    EXPECT_EQ(ProbeState(), 600);
    EXPECT_EQ(dsm->calls, 0);
}
