// The state of the session with the application: the TWAIN state, the
// condition code, the identities and the user interface. Only entry/ changes
// them.
#ifndef QR_ENTRY_SESSION_H
#define QR_ENTRY_SESSION_H

#include "twain.h"
#include "win32.h"

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

extern TW_UINT16 gDSState;
extern TW_UINT16 gConditionCode;
extern TW_IDENTITY gDSIdentity;
extern TW_IDENTITY gAppIdentity;
extern HWND gUIWindow;
extern BOOL gShowUI;
extern BOOL gUIDisabled;
extern BOOL gXferReady;
// TWAIN 2.4: enabled for the settings alone (MSG_ENABLEDSUIONLY), and the
// images ended (MSG_ENDXFER) since the source was last enabled.
extern BOOL gUIOnly;
extern TW_UINT32 gImagesEnded;

// The image the scan module has ready is described and taken in (received whole
// when its length is open); a reception that fails leaves its condition code.
void TakeAnnouncedImage();

#endif
