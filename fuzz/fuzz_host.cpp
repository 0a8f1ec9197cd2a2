#include "fuzz_host.h"

#include "winlayer_test.h"

#include <filesystem>
#include <fstream>
#include <stdio.h>
#include <stdlib.h>

namespace fs = std::filesystem;

void FuzzCheck(bool ok, const char *what) {
    if (ok) return;
    fprintf(stderr, "fuzz check failed: %s\n", what);
    abort();
}

template <typename Proc>
static Proc Bind(HMODULE module, const char *name) {
    Proc proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
    FuzzCheck(proc != nullptr, name);
    return proc;
}

static int AnswerOK(void *, const char *, const char *, UINT) { return IDOK; }

// The TWAIN 2 Source Manager the host plays: the source's messages go
// nowhere, and its memory is fixed global blocks, plain pointers as on Linux
// that the layer counts and sizes.
static TW_UINT16 TW_CALLINGSTYLE IgnoreMessage(pTW_IDENTITY, pTW_IDENTITY, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF) {
    return TWRC_SUCCESS;
}
static TW_HANDLE TW_CALLINGSTYLE ManagerAllocate(TW_UINT32 size) {
    return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
}
static void TW_CALLINGSTYLE ManagerFree(TW_HANDLE handle) { GlobalFree(handle); }
static TW_MEMREF TW_CALLINGSTYLE ManagerLock(TW_HANDLE handle) { return handle; }
static void TW_CALLINGSTYLE ManagerUnlock(TW_HANDLE) {}

void FuzzHost::FillEntryPoint(TW_ENTRYPOINT *entryPoint) {
    *entryPoint = {sizeof(TW_ENTRYPOINT), IgnoreMessage, ManagerAllocate, ManagerFree, ManagerLock, ManagerUnlock};
}

TW_UINT16 FuzzHost::SendEntryPoint() {
    TW_ENTRYPOINT entryPoint;
    FillEntryPoint(&entryPoint);
    return Call(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &entryPoint);
}

static std::string gFolderToRemove;
static void RemoveFolder() {
    std::error_code ignored;
    if (!gFolderToRemove.empty()) fs::remove_all(gFolderToRemove, ignored);
}

FuzzHost &FuzzHost::Get() {
    static FuzzHost *host = new FuzzHost;  // lives as long as the loaded source
    return *host;
}

FuzzHost::FuzzHost() {
    char pattern[] = "/tmp/qrvm-fuzz-XXXXXX";
    FuzzCheck(mkdtemp(pattern) != nullptr, "private folder");
    folder_ = pattern;
    gFolderToRemove = folder_;
    atexit(RemoveFolder);
    fs::create_directory(folder_ + "/windows");  // no TWAIN_32.DLL: DAT_ENTRYPOINT's manager only
    fs::create_directory(TempFolder());
    fs::copy_file(QR_DS_PATH, folder_ + "/QRVM.ds");
    fs::copy_file(QR_FUZZ_SM_PATH, folder_ + "/fuzzsm.dll");
    // QR_FUZZ_PROTOCOL=2.4: the source is a TWAIN 2.4 one.
    const char *protocol = getenv("QR_FUZZ_PROTOCOL");
    std::ofstream(folder_ + "/QRVM.INI") << "[Scanner]\nScanDll=fuzzsm.dll\n[Source]\nProtocol="
                                         << (protocol ? protocol : "1.5") << "\n";
    setenv("WINDIR", (folder_ + "/windows").c_str(), 1);
    setenv("TMPDIR", TempFolder().c_str(), 1);
    setenv("QR_NO_TERMINAL_PROGRESS", "1", 1);
    WinLayer_SetMessageBoxQuiet(TRUE);
    WinLayer_SetMessageBoxHook(AnswerOK, nullptr);

    app_.Id = 7;
    app_.ProtocolMajor = 1;
    app_.ProtocolMinor = 5;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    snprintf(app_.ProductName, sizeof app_.ProductName, "Fuzz Application");
    Load();
}

void FuzzHost::Load() {
    // Loaded first here, so that the source binds the instance we script.
    scanModule_ = LoadLibraryA((folder_ + "/fuzzsm.dll").c_str());
    FuzzCheck(scanModule_ != nullptr, "loading the fuzz scan module");
    startScanModule_ = Bind<FuzzSM_StartProc>(scanModule_, "FuzzSM_Start");
    scanModuleWindow_ = Bind<FuzzSM_WindowProc>(scanModule_, "FuzzSM_Window");
    ds_ = LoadLibraryA((folder_ + "/QRVM.ds").c_str());
    FuzzCheck(ds_ != nullptr, "loading the data source");
    entry_ = Bind<DSENTRYPROC>(ds_, "DS_Entry");
    readytoScan_ = Bind<ReadytoScanProc>(ds_, "ReadytoScan");
    readytoCloseSM_ = Bind<ReadytoCloseSMProc>(ds_, "ReadytoCloseSM");
    FuzzCheck(SendEntryPoint() == TWRC_SUCCESS, "DAT_ENTRYPOINT");
    handlesAtStart_ = WinLayer_LiveGlobalHandles();
    heapBlocksAtStart_ = WinLayer_LiveHeapBlocks();
    windowsAtStart_ = WinLayer_LiveWindows();
}

TW_UINT16 FuzzHost::Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data) {
    return CallFrom(&app_, DG, DAT, MSG, data);
}

// QR_FUZZ_TRACE=1 shows every triplet and its result, to see how far an
// input gets.
TW_UINT16 FuzzHost::CallFrom(pTW_IDENTITY origin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data) {
    static const bool trace = getenv("QR_FUZZ_TRACE") != nullptr;
    TW_UINT16 rc = entry_(origin, DG, DAT, MSG, data);
    if (trace) fprintf(stderr, "DG %u DAT 0x%04x MSG 0x%04x -> %u\n", DG, DAT, MSG, rc);
    return rc;
}

TW_UINT16 FuzzHost::Status() {
    TW_STATUS status{};
    if (Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS) return 0xFFFF;
    return status.ConditionCode;
}

void FuzzHost::StartScanModule(const FuzzScanScript *script) { startScanModule_(script); }
HWND FuzzHost::ScanModuleWindow() { return scanModuleWindow_(); }
void FuzzHost::ReadytoScan(TW_UINT32 flag) { readytoScan_(flag); }
void FuzzHost::ReadytoCloseSM() { readytoCloseSM_(); }

TW_UINT16 FuzzHost::Open() {
    TW_IDENTITY assigned{};
    if (Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &assigned) != TWRC_SUCCESS) return TWRC_FAILURE;
    assigned.Id = 42;  // what the Source Manager gives us
    identity_ = assigned;
    SendEntryPoint();
    return Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &assigned);
}

void FuzzHost::Own(HGLOBAL handle) {
    if (handle) owned_.push_back(handle);
}

void FuzzHost::FileName(int which, char name[256]) const {
    static const char *const kNames[] = {"/out.tif", "/out.bmp", "/missing/out.tif", "", "", "/tmp/QRX5168.TIF"};
    memset(name, 0, 256);
    switch (which % kFileNames) {
    case 3:  // empty
        return;
    case 4:  // the folder itself
        snprintf(name, 256, "%s", folder_.c_str());
        return;
    case 6:  // 255 characters and no terminator
        memset(name, 'a', 256);
        memcpy(name, folder_.c_str(), folder_.size());
        name[folder_.size()] = '/';
        return;
    case 7:  // the temporary folder
        snprintf(name, 256, "%s", TempFolder().c_str());
        return;
    default:
        snprintf(name, 256, "%s%s", folder_.c_str(), kNames[which % kFileNames]);
    }
}

// The first entry of the folder, or "" when it is empty.
static std::string FirstEntry(const std::string &folder) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) return "(unreadable)";
    return entries == fs::directory_iterator() ? std::string() : entries->path().filename().string();
}

void FuzzHost::EndInput(bool receivedDefaultFile) {
    WinLayer_ClearFaults();    // the application quits on a healthy machine
    StartScanModule(nullptr);  // quiet answers from here on
    TW_PENDINGXFERS pending{};
    Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    TW_USERINTERFACE ui{};
    Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    TW_IDENTITY identity = identity_;
    Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity);
    StartScanModule(nullptr);  // its dialog goes with the application

    TW_STATUS status{};
    FuzzCheck(Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_FAILURE, "the source is still open");
    TW_IDENTITY ours{};
    FuzzCheck(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &ours) == TWRC_SUCCESS, "the source no longer answers");

    for (HGLOBAL handle : owned_) GlobalFree(handle);
    owned_.clear();
    // What a transfer gave the application is the application's to remove.
    std::error_code ignored;
    char name[257];
    for (int which = 0; which < kFileNames; ++which) {
        FileName(which, name);
        name[255] = '\0';  // as the source keeps it
        bool application = which != 4 && which != 7 && (which != 5 || receivedDefaultFile);
        if (application) fs::remove(name, ignored);
    }
    FuzzCheck(WinLayer_LiveGlobalHandles() == handlesAtStart_, "global blocks left");
    FuzzCheck(WinLayer_LiveHeapBlocks() == heapBlocksAtStart_, "heap blocks left");
    FuzzCheck(WinLayer_LiveWindows() == windowsAtStart_, "windows left");
    std::string left = FirstEntry(TempFolder());
    if (!left.empty()) fprintf(stderr, "left in the temporary folder: %s\n", left.c_str());
    FuzzCheck(left.empty(), "files left in the temporary folder");
}

static TW_UINT32 ItemBytes(TW_UINT16 type) {
    static const TW_UINT32 kSizes[] = {1, 2, 4, 1, 2, 4, 2, 4, 16, 34, 66, 130, 256};
    return type < 13 ? kSizes[type] : 2;
}

static TW_UINT32 Get32(const TW_UINT8 *at) {
    return (TW_UINT32)at[0] | (TW_UINT32)at[1] << 8 | (TW_UINT32)at[2] << 16 | (TW_UINT32)at[3] << 24;
}

void CheckAnsweredContainer(const TW_CAPABILITY &cap) {
    HGLOBAL handle = cap.hContainer;
    if (!handle) return;
    SIZE_T size = GlobalSize(handle);
    FuzzCheck(size >= 2, "an answer without a live block");
    FuzzCheck((GlobalFlags(handle) & GMEM_LOCKCOUNT) == 0, "an answer handed over locked");
    const TW_UINT8 *data = static_cast<const TW_UINT8 *>(GlobalLock(handle));
    TW_UINT16 type = (TW_UINT16)(data[0] | data[1] << 8);
    TW_UINT32 item = ItemBytes(type);
    switch (cap.ConType) {
    case TWON_ONEVALUE:
        FuzzCheck(size >= 2 + (type >= TWTY_STR32 && type <= TWTY_STR255 ? item : 4), "short one-value");
        if (type >= TWTY_STR32 && type <= TWTY_STR255)
            FuzzCheck(memchr(data + 2, 0, item) != nullptr, "an unterminated string");
        break;
    case TWON_ENUMERATION: {
        FuzzCheck(size >= 14, "short enumeration");
        TW_UINT32 count = Get32(data + 2);
        FuzzCheck(count > 0 && (uint64_t)count * item + 14 <= size, "enumeration shorter than its items");
        FuzzCheck(Get32(data + 6) < count && Get32(data + 10) < count, "enumeration index beyond its items");
        break;
    }
    case TWON_RANGE:
        FuzzCheck(size >= 22, "short range");
        break;
    case TWON_ARRAY:
        FuzzCheck(size >= 6 && (uint64_t)Get32(data + 2) * item + 6 <= size, "array shorter than its items");
        break;
    default:
        FuzzCheck(false, "an answer of no known container type");
    }
    GlobalUnlock(handle);
}
