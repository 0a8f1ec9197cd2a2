// The state of the open connection, one per loaded module.
#include "globals.h"

TW_UINT16 gDSState;
TW_UINT16 gConditionCode;
TW_IDENTITY gDSIdentity;
TW_IDENTITY gAppIdentity;
HWND gUIWindow;
BOOL gShowUI;
HWND gParentWindow;
BOOL gUIDisabled;
BOOL gXferReady;
ScanSettings gScannerDefaults;
ScanSettings gScannerRequest;
