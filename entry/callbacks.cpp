// The scan module announces an image (ReadytoScan) or its user's wish to
// close (ReadytoCloseSM); the application hears of both through the Source
// Manager. In a session for the settings alone the announcement is the
// user's "done".
#include "callbacks.h"

#include "caps/scanner_settings.h"
#include "image/current_image.h"
#include "session.h"
#include "startup/modules.h"
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

void NotifyCloseOK() { SendToApplication(MSG_CLOSEDSOK); }

QR_EXPORT void SM_API ReadytoScan(TW_UINT32 flag) {
    if (gUIDisabled) return;  // after MSG_DISABLEDS announcements are dropped
    if (gXferReady) return;   // the announced image has not been transferred
    // Only an enabled source waits for an image. One announced while the
    // source is closed or merely open would be held where no application
    // can take it, and would silence the announcements of the next session.
    if (gDSState != DS_STATE_ENABLED) return;
    if (gUIOnly) {
        // The dialog was opened for the settings alone: the user is done.
        AdoptScannerSettings();
        NotifyCloseOK();
        return;
    }
    gXferReady = TRUE;
    TakeAnnouncedImage();
    if (flag == 0) NotifyXferReady();
}

QR_EXPORT void SM_API ReadytoCloseSM(void) {
    if (gUIDisabled) return;
    NotifyCloseRequest();
}
