// The scan module announces an image (ReadytoScan) or its user's wish to
// close (ReadytoCloseSM); the application hears of both through the Source
// Manager.
#include "callbacks.h"

#include "image/reception.h"
#include "startup/scan_module.h"
#include "startup/source_manager.h"

static void SendToApplication(TW_UINT16 message) {
    DSMENTRYPROC entry = SourceManagerEntry();
    if (!entry) return;
    entry(&gDSIdentity, &gAppIdentity, DG_CONTROL, DAT_NULL, message, nullptr);
}

void NotifyXferReady() {
    gDSState = DS_STATE_XFERREADY;
    SendToApplication(MSG_XFERREADY);
}

void NotifyCloseRequest() { SendToApplication(MSG_CLOSEDSREQ); }

QR_EXPORT void SM_API ReadytoScan(TW_UINT32 flag) {
    if (gUIDisabled) return;  // after MSG_DISABLEDS announcements are dropped
    if (gXferReady) return;   // the announced image has not been transferred
    // Only an enabled source waits for an image. One announced while the
    // source is closed or merely open would be held where no application
    // can take it, and would silence the announcements of the next session.
    if (gDSState != DS_STATE_ENABLED) return;
    gXferReady = TRUE;
    ScanModuleOps.UpdateImageInfo(&gImageInfo);
    // An image of open length is received whole before anyone is told; a
    // failed reception is only recorded, and the transfer ends at once.
    ReceiveAnnouncedImage();
    if (flag == 0) NotifyXferReady();
}

QR_EXPORT void SM_API ReadytoCloseSM(void) {
    if (gUIDisabled) return;
    NotifyCloseRequest();
}

LRESULT PumpMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return 0;
    TranslateMessage(&message);
    return DispatchMessageA(&message);
}
