#include "harness.h"

#include "winlayer_test.h"

#include <filesystem>
#include <fstream>
#include <stdlib.h>

namespace fs = std::filesystem;

static int RecordMessage(void *context, const char *text, const char *, UINT) {
    static_cast<std::vector<std::string> *>(context)->push_back(text);
    return IDOK;
}

template <typename Proc>
static Proc Bind(HMODULE module, const char *name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

// The Source Manager's memory: fixed global blocks are plain pointers.
static TW_HANDLE TW_CALLINGSTYLE ManagerAllocate(TW_UINT32 size) {
    return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
}
static void TW_CALLINGSTYLE ManagerFree(TW_HANDLE handle) { GlobalFree(handle); }
static TW_MEMREF TW_CALLINGSTYLE ManagerLock(TW_HANDLE handle) { return handle; }
static void TW_CALLINGSTYLE ManagerUnlock(TW_HANDLE) {}

void DataSourceTest::SetUp() {
    char pattern[] = "/tmp/qrvm-ds-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    fs::create_directory(folder_ + "/windows");
    fs::copy_file(QR_DS_PATH, folder_ + "/QRVM.ds");
    fs::copy_file(QR_FAKE_DSM_PATH, folder_ + "/windows/TWAIN_32.DLL");
    setenv("WINDIR", (folder_ + "/windows").c_str(), 1);
    // The data source's temporary files land here, where a test can see them.
    fs::create_directory(folder_ + "/tmp");
    setenv("TMPDIR", (folder_ + "/tmp").c_str(), 1);
    WinLayer_SetMessageBoxQuiet(TRUE);
    WinLayer_SetMessageBoxHook(RecordMessage, &messages_);

    globalHandlesAtStart_ = WinLayer_LiveGlobalHandles();
    heapBlocksAtStart_ = WinLayer_LiveHeapBlocks();

    app_.Id = 7;
    app_.ProtocolMajor = 1;
    app_.ProtocolMinor = 5;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(app_.ProductName, "Test Application");
}

void DataSourceTest::TearDown() {
    UnloadSource();
    WinLayer_SetMessageBoxHook(nullptr, nullptr);
    if (scanModule_) FreeLibrary(scanModule_);
    if (dsm_) FreeLibrary(dsm_);
    unsetenv("WINDIR");
    unsetenv("TMPDIR");
    ExpectProcessAsFound();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

// Runs once every module the test loaded is gone: what is still allocated
// then was lost.
void DataSourceTest::ExpectProcessAsFound() {
    EXPECT_EQ(WinLayer_LiveGlobalHandles(), globalHandlesAtStart_) << "global blocks nobody freed";
    EXPECT_EQ(WinLayer_LiveHeapBlocks(), heapBlocksAtStart_) << "heap blocks nobody freed";
    std::error_code error;
    if (!fs::exists(folder_ + "/tmp", error)) return;
    std::vector<std::string> left = TempEntries();
    EXPECT_TRUE(left.empty()) << "left in the temporary folder: " << (left.empty() ? "" : left[0]);
}

void DataSourceTest::WriteSettings(const std::string &contents) { std::ofstream(folder_ + "/QRVM.INI") << contents; }

void DataSourceTest::UseScanModule(ScanModuleKind kind, const std::string &fileName) {
    scanModuleKind_ = kind;
    scanModuleFile_ = fileName;
}

void DataSourceTest::PrepareScanModule() {
    if (scanModuleKind_ == ScanModuleKind::Missing || scanModule_) return;
    std::string modulePath = folder_ + "/" + scanModuleFile_;
    fs::copy_file(scanModuleKind_ == ScanModuleKind::Complete ? QR_FAKE_SM_PATH : QR_FAKE_SM_PARTIAL_PATH, modulePath,
                  fs::copy_options::overwrite_existing);
    // Loaded first by the test, so that the data source binds the very
    // instance the test scripts.
    scanModule_ = LoadLibraryA(modulePath.c_str());
    ASSERT_NE(scanModule_, nullptr);
    Bind<FakeSM_ResetProc>(scanModule_, "FakeSM_Reset")();
    sm_ = Bind<FakeSM_StateProc>(scanModule_, "FakeSM_State")();
}

void DataSourceTest::ResetScanModule() {
    if (scanModule_) Bind<FakeSM_ResetProc>(scanModule_, "FakeSM_Reset")();
}

void DataSourceTest::LoadSource() {
    ASSERT_EQ(ds_, nullptr);
    PrepareScanModule();
    if (!dsm_) {
        dsm_ = LoadLibraryA((folder_ + "/windows/TWAIN_32.DLL").c_str());
        ASSERT_NE(dsm_, nullptr);
        dsm = Bind<FakeSourceManagerState *(*)()>(dsm_, "FakeDSM_State")();
    }
    memset(dsm, 0, sizeof *dsm);

    ds_ = LoadLibraryA((folder_ + "/QRVM.ds").c_str());
    ASSERT_NE(ds_, nullptr);
    dsEntry_ = Bind<DSENTRYPROC>(ds_, "DS_Entry");
    readytoScan_ = Bind<ReadytoScanProc>(ds_, "ReadytoScan");
    readytoCloseSM_ = Bind<ReadytoCloseSMProc>(ds_, "ReadytoCloseSM");
    ASSERT_NE(dsEntry_, nullptr);
    ASSERT_NE(readytoScan_, nullptr);
    ASSERT_NE(readytoCloseSM_, nullptr);
    if (twain2Manager_) {
        ASSERT_EQ(SendEntryPoint(), TWRC_SUCCESS);
    }
}

TW_UINT16 DataSourceTest::SendEntryPoint() {
    TW_ENTRYPOINT entryPoint{sizeof(TW_ENTRYPOINT), Bind<DSMENTRYPROC>(dsm_, "DSM_Entry"),
                             ManagerAllocate,       ManagerFree,
                             ManagerLock,           ManagerUnlock};
    return Call(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &entryPoint);
}

void DataSourceTest::UnloadSource() {
    if (!ds_) return;
    FreeLibrary(ds_);
    ds_ = nullptr;
    dsEntry_ = nullptr;
}

TW_UINT16 DataSourceTest::Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data) {
    return dsEntry_(&app_, DG, DAT, MSG, data);
}

TW_UINT16 DataSourceTest::Status() {
    TW_STATUS status{0xDEAD, 0xBEEF};
    EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    return status.ConditionCode;
}

void DataSourceTest::Open() {
    TW_IDENTITY assigned{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &assigned), TWRC_SUCCESS);
    assigned.Id = 42;  // what the Source Manager gives us
    identity_ = assigned;
    if (twain2Manager_) {
        ASSERT_EQ(SendEntryPoint(), TWRC_SUCCESS);
    }
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &assigned), TWRC_SUCCESS);
}

TW_UINT16 DataSourceTest::Enable(bool showUI) {
    TW_USERINTERFACE ui{};
    ui.ShowUI = showUI;
    ui.hParent = reinterpret_cast<TW_HANDLE>(0x1234);
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

void DataSourceTest::ReachXferReady() {
    Open();
    sm_->noUIAnnounces = TRUE;
    sm_->announceFlag = 0;
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
}

TW_UINT16 DataSourceTest::ProbeState() {
    TW_IDENTITY identity{};
    if (Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity) != TWRC_SUCCESS) return 0;
    TW_STATUS status{};
    if (Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS) return 300;
    TW_IMAGEINFO info{};
    if (Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) == TWRC_SUCCESS) return 600;
    TW_UINT32 group = 0;
    if (Call(DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group) != TWRC_SUCCESS) return 700;
    TW_IMAGELAYOUT layout{};
    Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout);
    if (Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout) == TWRC_SUCCESS) return 400;
    return 500;
}

std::vector<std::string> DataSourceTest::TempEntries() const {
    std::vector<std::string> entries;
    for (const auto &entry : fs::recursive_directory_iterator(folder_ + "/tmp"))
        entries.push_back(entry.path().lexically_relative(folder_ + "/tmp").string());
    return entries;
}

long DataSourceTest::LiveHandles() const { return WinLayer_LiveGlobalHandles(); }
