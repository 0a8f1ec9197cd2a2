// The state of the open connection, one per loaded module.
#include "session.h"

#include "image/current_image.h"
#include "image/reception.h"
#include "startup/scan_module.h"

TW_UINT16 gDSState;
TW_UINT16 gConditionCode;
TW_IDENTITY gDSIdentity;
TW_IDENTITY gAppIdentity;
HWND gUIWindow;
BOOL gShowUI;
BOOL gUIDisabled;
BOOL gXferReady;
BOOL gUIOnly;
TW_UINT32 gImagesEnded;

void TakeAnnouncedImage() {
    ScanModuleOps.UpdateImageInfo(&gImageInfo);
    // An image of open length is received whole before anyone is told; a
    // failed reception is only recorded, and the transfer ends at once.
    if (!ReceiveAnnouncedImage()) gConditionCode = TWCC_BADPROTOCOL;
}
