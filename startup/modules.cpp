#include "modules.h"

#include "module_paths.h"
#include "protocol.h"
#include "scan_module.h"
#include "source_manager.h"

HINSTANCE ghInstance;
static HMODULE ghDSM;
DSMENTRYPROC gpDSMEntry;

static const char kSourceManagerName[] = "TWAIN_32.DLL";
static const char kSettingsFileName[] = "QRVM.INI";
static const char kDefaultScanModule[] = "qvsmod.dll";

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

void BindSourceManager() {
    ghDSM = LoadFromWindowsDirectory();
#if defined(_WIN32)
    // A Source Manager built into the system (Wine's) has no file in the
    // Windows directory, and a load by full path then fails; by plain name
    // the system finds the one the application has loaded already. On Linux
    // a plain name would reach past WINDIR into the loader's search path.
    if (ghDSM == nullptr) ghDSM = LoadLibraryA(kSourceManagerName);
#endif
    if (ghDSM)
        gpDSMEntry =
            reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void (*)(void)>(GetProcAddress(ghDSM, "DSM_Entry")));
}

void FreeSourceManager() {
    ForgetSourceManagerEntryPoint();
    if (!ghDSM) return;
    FreeLibrary(ghDSM);
    ghDSM = nullptr;
    gpDSMEntry = nullptr;
}

// QRVM.INI in the data source's own folder, and that folder.
static BOOL SettingsPath(char *directory, size_t directorySize, char *path, size_t pathSize) {
    if (!GetModuleDirectory(ghInstance, directory, directorySize)) return FALSE;
    return ComposePath(path, pathSize, directory, kSettingsFileName);
}

void ReadConfiguredProtocol() {
    char directory[MAX_PATH];
    char settingsPath[MAX_PATH];
    char protocol[16];
    gProtocol = SourceProtocol::Twain15;
    if (!SettingsPath(directory, sizeof directory, settingsPath, sizeof settingsPath)) return;
    GetPrivateProfileStringA("Source", "Protocol", "1.5", protocol, sizeof protocol, settingsPath);
    gProtocol = ParseProtocol(protocol);
}

BOOL LoadConfiguredScanModule() {
    char directory[MAX_PATH];
    char settingsPath[MAX_PATH];
    char scanDll[MAX_PATH];
    char modulePath[MAX_PATH];
    if (!SettingsPath(directory, sizeof directory, settingsPath, sizeof settingsPath)) return FALSE;
    GetPrivateProfileStringA("Scanner", "ScanDll", kDefaultScanModule, scanDll, sizeof scanDll, settingsPath);
    if (!ComposePath(modulePath, sizeof modulePath, directory, scanDll)) return FALSE;
    return LoadScanModule(modulePath);
}
