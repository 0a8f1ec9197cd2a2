// Start-up binds the Source Manager's entry point and the scan module named
// in QRVM.INI; shut-down frees both. Nothing else of the data source runs
// before InitInstance or after ExitInstance.
#include "app.h"

#include "entry/session.h"
#include "globals.h"
#include "image/queue.h"
#include "module_paths.h"
#include "scan_module.h"
#include "source_manager.h"

HINSTANCE ghInstance;
HMODULE ghDSM;
DSMENTRYPROC gpDSMEntry;

static const char kSourceManagerName[] = "TWAIN_32.DLL";
static const char kSettingsFileName[] = "QRVM.INI";
static const char kDefaultScanModule[] = "qvsmod.dll";

QR_DLL_APPLICATION(QRVMApp, theApp)

QRVMApp::QRVMApp() : CWinApp("QRVM") {}

// TWAIN_32.DLL in the Windows directory, or null.
static HMODULE LoadFromWindowsDirectory() {
    char windowsDir[MAX_PATH];
    char path[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    if (length == 0 || length >= sizeof windowsDir) return nullptr;
    const char separator[2] = {QR_PATH_SEPARATOR, '\0'};
    char directory[MAX_PATH];
    if (!ComposePath(directory, sizeof directory, windowsDir, separator)) return nullptr;
    if (!ComposePath(path, sizeof path, directory, kSourceManagerName)) return nullptr;
    return LoadLibraryA(path);
}

// The Source Manager of the Windows directory. Its absence only means the
// application is never told of images; notifications then fail quietly.
static void BindSourceManager() {
    ghDSM = LoadFromWindowsDirectory();
#if defined(_WIN32)
    // A Source Manager built into the system (Wine's) has no file in the
    // Windows directory, and a load by full path then fails; by plain name
    // the system finds the one the application has loaded already. On Linux
    // a plain name would reach past WINDIR into the loader's search path.
    if (ghDSM == nullptr) ghDSM = LoadLibraryA(kSourceManagerName);
#endif
    if (ghDSM)
        gpDSMEntry = reinterpret_cast<DSMENTRYPROC>(
            reinterpret_cast<void (*)(void)>(GetProcAddress(ghDSM, "DSM_Entry")));
}

// The scan module named by [Scanner] ScanDll of QRVM.INI, always taken from
// the data source's own folder.
static BOOL LoadConfiguredScanModule() {
    char directory[MAX_PATH];
    char settingsPath[MAX_PATH];
    char scanDll[MAX_PATH];
    char modulePath[MAX_PATH];
    if (!GetModuleDirectory(ghInstance, directory, sizeof directory)) return FALSE;
    if (!ComposePath(settingsPath, sizeof settingsPath, directory, kSettingsFileName)) return FALSE;
    GetPrivateProfileStringA("Scanner", "ScanDll", kDefaultScanModule, scanDll, sizeof scanDll, settingsPath);
    if (!ComposePath(modulePath, sizeof modulePath, directory, scanDll)) return FALSE;
    return LoadScanModule(modulePath);
}

BOOL QRVMApp::InitInstance() {
    ghInstance = m_hInstance;
    BindSourceManager();
    if (!LoadConfiguredScanModule()) {
        // The module stays loaded in state 0: every triplet with a state
        // rule is refused with TWCC_SEQERROR.
        gConditionCode = TWCC_BADPROTOCOL;
        return TRUE;
    }
    InitIdentity();
    SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
    return TRUE;
}

int QRVMApp::ExitInstance() {
    // An image never transferred is reported, and its memory and spool file
    // go with the module rather than outlive it.
    gImageQueue.ReportLeftovers();
    DropImage();
    FreeScanModule();
    ForgetSourceManagerEntryPoint();
    if (ghDSM) {
        FreeLibrary(ghDSM);
        ghDSM = nullptr;
        gpDSMEntry = nullptr;
    }
    return CWinApp::ExitInstance();
}
