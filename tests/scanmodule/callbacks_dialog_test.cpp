// How the module reaches the data source's callbacks, and its dialog.
#include "sm_fixture.h"

namespace {

const int kScanButton = 1002;  // the dialog's Scan and Close buttons
const int kCloseButton = 1003;

int Count(HMODULE host, const char *name) { return BindExport<int (*)(void)>(host, name)(); }

}  // namespace

TEST_F(ScanModuleTest, AnnouncementFailsCleanlyWithoutADataSource) {
    ASSERT_NO_FATAL_FAILURE(Load());
    EXPECT_EQ(ops_.NoUItoXferImage(nullptr), 0);
    EXPECT_EQ(ops_.CheckScanJob(), 0) << "a job that could not be announced is dropped";
}

TEST_F(ScanModuleTest, AnnouncementFallsBackOnTheLoadedDataSource) {
    ASSERT_NO_FATAL_FAILURE(Load("Pages=2\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    EXPECT_NE(ops_.NoUItoXferImage(nullptr), 0);
    EXPECT_EQ(HostScans(), 1);
    EXPECT_EQ(BindExport<TW_UINT32 (*)(void)>(host_, "Host_LastFlag")(), 0u);
    EXPECT_EQ(ops_.CheckScanJob(), 2);
}

TEST_F(ScanModuleTest, CallbacksComeFromTheModuleThatCalls) {
    ASSERT_NO_FATAL_FAILURE(Load("AutoScan=0\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    HMODULE other = LoadLibraryA(QR_OTHER_HOST_PATH);
    ASSERT_NE(other, nullptr);
    auto callNoUI = BindExport<int (*)(NoUItoXferImageProc)>(other, "Host_CallNoUI");
    EXPECT_NE(callNoUI(ops_.NoUItoXferImage), 0);
    EXPECT_EQ(Count(other, "Host_Scans"), 1);
    EXPECT_EQ(HostScans(), 0) << "the QRVM.ds fallback is only a fallback";
    // The binding stays with the data source that called last; the dialog's
    // own button uses it too.
    HWND dialog = ops_.OpenSMUI(nullptr);
    ASSERT_NE(dialog, nullptr);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kScanButton, 0), (LPARAM)GetDlgItem(dialog, kScanButton));
    EXPECT_EQ(Count(other, "Host_Scans"), 2);
    ops_.CloseSMUI();
    FreeLibrary(other);
}

TEST_F(ScanModuleTest, DialogScanAnnouncesAndCloseAsksToClose) {
    ASSERT_NO_FATAL_FAILURE(Load("Pages=2\nAutoScan=0\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    HWND dialog = ops_.OpenSMUI(nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindow(dialog));
    ASSERT_NE(GetDlgItem(dialog, kScanButton), nullptr);
    ASSERT_NE(GetDlgItem(dialog, kCloseButton), nullptr);
    EXPECT_EQ(ops_.OpenSMUI(nullptr), dialog) << "one dialog at a time";

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kScanButton, 0), (LPARAM)GetDlgItem(dialog, kScanButton));
    EXPECT_EQ(HostScans(), 1);
    EXPECT_EQ(ops_.CheckScanJob(), 2);

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kCloseButton, 0), (LPARAM)GetDlgItem(dialog, kCloseButton));
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(HostCloses(), 2);
    EXPECT_TRUE(IsWindow(dialog)) << "only CloseSMUI destroys the dialog";

    ops_.CloseSMUI();
    EXPECT_FALSE(IsWindow(dialog));
    ops_.CloseSMUI();  // a second close is harmless
}

// On Linux nobody can see the dialog, so by default it scans each time it is
// shown: the first open, and every later show after a hide.
TEST_F(ScanModuleTest, UnseenDialogScansWheneverItIsShown) {
    ASSERT_NO_FATAL_FAILURE(Load("Pages=2\n"));
    ASSERT_NO_FATAL_FAILURE(LoadHost());
    HWND dialog = ops_.OpenSMUI(nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(HostScans(), 1);
    EXPECT_EQ(ops_.CheckScanJob(), 2);
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(HostScans(), 1) << "already shown";
    ShowWindow(dialog, SW_HIDE);
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(HostScans(), 2);
    ops_.CloseSMUI();
}
