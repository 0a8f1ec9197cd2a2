// Module-wide state shared by the subsystems of the data source. Each global
// is defined in the file of the subsystem that owns it.
#ifndef QR_GLOBALS_H
#define QR_GLOBALS_H

#include "twain.h"
#include "scanmodule.h"

// TWAIN states times 100, as gDSState holds them; 0 until start-up has bound
// the scan module.
enum : TW_UINT16 {
    DS_STATE_NONE = 0,
    DS_STATE_LOADED = 300,     // state 3: loaded, not open
    DS_STATE_OPEN = 400,       // state 4: capabilities negotiable
    DS_STATE_ENABLED = 500,    // state 5: scan-module dialog up or scan running
    DS_STATE_XFERREADY = 600,  // state 6: MSG_XFERREADY sent
    DS_STATE_XFERRING = 700,   // state 7: a transfer has ended, MSG_ENDXFER expected
};

// Session (entry/session_state.cpp)
extern TW_UINT16 gDSState;
extern TW_UINT16 gConditionCode;
extern TW_IDENTITY gDSIdentity;
extern TW_IDENTITY gAppIdentity;
extern HWND gUIWindow;
extern BOOL gShowUI;
extern HWND gParentWindow;
extern BOOL gUIDisabled;
extern BOOL gXferReady;
extern ScanSettings gScannerDefaults;  // what GetDefValue reported last
extern ScanSettings gScannerRequest;   // what SetDefValue received last

// Start-up (startup/)
extern HINSTANCE ghInstance;
extern HMODULE ghDSM;
extern DSMENTRYPROC gpDSMEntry;
extern HMODULE ghScanModule;

// Image description (image/image_info.cpp)
extern TW_IMAGEINFO gImageInfo;

// Transfer records shared by reception and the transfers (xfer/xfer_state.cpp)
extern TW_IMAGEMEMXFER gMemXfer;  // reception's request record too
extern TW_UINT32 gMinBufSize, gMaxBufSize, gPrefBufSize;
extern TW_INT16 gXferStatus;      // status of the last image producer

// The image status every producer reports: 0 more follows, 1 complete,
// 2 cancelled, anything else failed.
constexpr TW_INT16 XFER_MORE = 0;
constexpr TW_INT16 XFER_DONE = 1;
constexpr TW_INT16 XFER_CANCELLED = 2;
constexpr TW_INT16 XFER_FAILED = -1;
// TWRC_XFERDONE, TWRC_CANCEL or TWRC_FAILURE for a producer's status.
TW_UINT16 XferReturnCode(TW_INT16 status);

#endif
