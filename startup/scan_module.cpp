// Loading the scan module and binding its fourteen operations, and the
// optional ones it exports, by name.
#include "scan_module.h"

#include <string.h>

static HMODULE ghScanModule;

// Stand-ins for operations the scan module does not export. Each fails the
// way its caller already handles: no scanner, no window, no image.
namespace {

int SM_API MissingGetProductName(char *name, TW_UINT16, TW_UINT16 *major, TW_UINT16 *minor, char *manufacturer,
                                 char *family, char *version) {
    name[0] = manufacturer[0] = family[0] = version[0] = '\0';
    *major = *minor = 0;
    return 0;
}
int SM_API MissingConnectScanner(TW_UINT32) { return 0; }
int SM_API MissingSettings(ScanSettings *) { return 0; }
HWND SM_API MissingOpenSMUI(HWND) { return nullptr; }
int SM_API MissingCkUseBufXfer(TW_UINT32 *kb) {
    *kb = 0;
    return 0;
}
int SM_API MissingUpdateImageInfo(TW_IMAGEINFO *) { return 0; }
int SM_API MissingNoArgs() { return 0; }
TW_INT16 SM_API MissingGetSMImage_Buf(TW_IMAGEMEMXFER *, void *) { return SM_FAILED; }
TW_INT16 SM_API MissingGetSMImage_File(TW_SETUPFILEXFER *, TW_UINT32) { return SM_FAILED; }
TW_INT16 SM_API MissingGetSMImage_DIB(HGLOBAL *) { return SM_FAILED; }
int SM_API MissingNoUItoXferImage(HWND) { return 0; }
TW_UINT16 SM_API MissingCheckScanJob() { return 0; }

const ScanModuleOpsTable kStandInOps = {
    MissingGetProductName,  MissingConnectScanner,  MissingSettings,        MissingSettings,
    MissingOpenSMUI,        MissingCkUseBufXfer,    MissingUpdateImageInfo, MissingNoArgs,
    MissingGetSMImage_Buf,  MissingGetSMImage_File, MissingGetSMImage_DIB,  MissingNoArgs,
    MissingNoUItoXferImage, MissingCheckScanJob,
};

// Binds one operation, or leaves its stand-in when the export is missing.
template <typename Proc>
void BindOp(Proc &slot, const char *name) {
    FARPROC found = GetProcAddress(ghScanModule, name);
    if (found) slot = reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(found));
}

}  // namespace

// Callable from the moment the module is loaded, before start-up has run.
ScanModuleOpsTable ScanModuleOps = kStandInOps;
ScanModuleOptionalOpsTable ScanModuleOptionalOps;

void BindStandInOps() {
    ScanModuleOps = kStandInOps;
    ScanModuleOptionalOps = ScanModuleOptionalOpsTable();
}

BOOL ScanModuleScansWithoutDialog() { return ScanModuleOps.NoUItoXferImage != kStandInOps.NoUItoXferImage; }

BOOL ScanModuleHasDialog() { return ScanModuleOps.OpenSMUI != kStandInOps.OpenSMUI; }

BOOL LoadScanModule(const char *path) {
    BindStandInOps();
    ghScanModule = LoadLibraryA(path);
    if (!ghScanModule) return FALSE;

    // In the order the data source has always bound them.
    BindOp(ScanModuleOps.GetProductName, "GetProductName");
    BindOp(ScanModuleOps.ConnectScanner, "ConnectScanner");
    BindOp(ScanModuleOps.GetDefValue, "GetDefValue");
    BindOp(ScanModuleOps.SetDefValue, "SetDefValue");
    BindOp(ScanModuleOps.OpenSMUI, "OpenSMUI");
    BindOp(ScanModuleOps.CkUseBufXfer, "CkUseBufXfer");
    BindOp(ScanModuleOps.UpdateImageInfo, "UpdateImageInfo");
    BindOp(ScanModuleOps.Button_Scan, "Button_Scan");
    BindOp(ScanModuleOps.GetSMImage_Buf, "GetSMImage_Buf");
    BindOp(ScanModuleOps.GetSMImage_File, "GetSMImage_File");
    BindOp(ScanModuleOps.GetSMImage_DIB, "GetSMImage_DIB");
    BindOp(ScanModuleOps.CloseSMUI, "CloseSMUI");
    BindOp(ScanModuleOps.NoUItoXferImage, "NoUItoXferImage");
    BindOp(ScanModuleOps.CheckScanJob, "CheckScanJob");
    BindOp(ScanModuleOptionalOps.GetOpticalResolution, "GetOpticalResolution");
    BindOp(ScanModuleOptionalOps.GetGlassSize, "GetGlassSize");
    BindOp(ScanModuleOptionalOps.IsDeviceOnline, "IsDeviceOnline");
    return TRUE;
}

void FreeScanModule() {
    if (ghScanModule) {
        FreeLibrary(ghScanModule);
        ghScanModule = nullptr;
    }
    BindStandInOps();
}
