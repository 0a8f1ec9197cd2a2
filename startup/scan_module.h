// The scan module as the data source holds it: its library, its fourteen
// operations and its optional ones, bound by name.
#ifndef QR_STARTUP_SCAN_MODULE_H
#define QR_STARTUP_SCAN_MODULE_H

#include "scanmodule.h"

// Every member is always callable: an operation the scan module does not
// export is bound to a stand-in that fails the way the data source already
// handles (no scanner, no window, a failed image).
extern ScanModuleOpsTable ScanModuleOps;
// Null for each optional operation the scan module does not export.
extern ScanModuleOptionalOpsTable ScanModuleOptionalOps;

// Loads the scan module from `path` and binds its operations. Returns FALSE
// (with every operation on its stand-in) when the library cannot be loaded.
BOOL LoadScanModule(const char *path);
// Frees the scan module and puts every operation back on its stand-in.
void FreeScanModule();
// Binds every operation to its failing stand-in.
void BindStandInOps();
// Whether the scan module can scan without its dialog (NoUItoXferImage).
BOOL ScanModuleScansWithoutDialog();
// Whether it has a dialog at all (OpenSMUI).
BOOL ScanModuleHasDialog();

#endif
