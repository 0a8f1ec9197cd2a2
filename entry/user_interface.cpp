// DG_CONTROL / DAT_USERINTERFACE: enable with or without the scan module's
// dialog, enable for the settings alone (TWAIN 2.4), and disable.
#include "dispatch.h"

#include "caps/scanner_settings.h"
#include "image/current_image.h"
#include "startup/protocol.h"
#include "startup/scan_module.h"

static HWND gParentWindow;

// What every enable does first: the scan module gets the negotiated values
// whatever follows, and the callbacks are heard again.
static void PrepareEnable() {
    SendScannerSettings();
    gUIDisabled = FALSE;
}

// An image announced before a disable can no longer be transferred; it
// goes, so that the scan this enable starts is heard.
static void DropAnnouncedImage() {
    if (!gXferReady) return;
    gXferReady = FALSE;
    DiscardImage();
}

static void BeginSession(pTW_USERINTERFACE ui, BOOL showUI, BOOL uiOnly) {
    DropAnnouncedImage();
    gParentWindow = static_cast<HWND>(ui->hParent);
    gShowUI = showUI;
    gUIOnly = uiOnly;
    gImagesEnded = 0;
}

// The scan module's dialog, opened once and shown again later. Enabled
// before the dialog shows: a dialog that scans as it opens (one nobody can
// see) announces its image inside this call.
static TW_UINT16 ShowScanDialog() {
    gDSState = DS_STATE_ENABLED;
    if (gUIWindow) {
        ShowWindow(gUIWindow, SW_SHOW);
        return TWRC_SUCCESS;
    }
    gUIWindow = ScanModuleOps.OpenSMUI(gParentWindow);
    if (gUIWindow) return TWRC_SUCCESS;
    gDSState = DS_STATE_OPEN;
    DropAnnouncedImage();
    return FailWith(TWCC_LOWMEMORY);
}

static TW_UINT16 EnableDS(pTW_USERINTERFACE ui) {
    PrepareEnable();
    if (gDSState != DS_STATE_OPEN) return FailWith(TWCC_SEQERROR);
    if (!ui) return FailWith(TWCC_BADVALUE);
    BeginSession(ui, ui->ShowUI, FALSE);
    ui->ModalUI = TRUE;
    if (gShowUI) return ShowScanDialog();

    // Without a dialog the scan starts now; an image the scan module
    // announces during the call moves the state on to 600.
    gDSState = DS_STATE_ENABLED;
    if (!ScanModuleOps.NoUItoXferImage(gParentWindow)) return FailWith(TWCC_LOWMEMORY);
    return TWRC_SUCCESS;
}

// TWAIN 2.4: the dialog for the settings alone. The user's "done" comes as
// an announcement, which the application hears as MSG_CLOSEDSOK.
static TW_UINT16 EnableDSUIOnly(pTW_USERINTERFACE ui) {
    PrepareEnable();
    if (gDSState != DS_STATE_OPEN) return FailWith(TWCC_SEQERROR);
    if (!ui) return FailWith(TWCC_BADVALUE);
    BeginSession(ui, TRUE, TRUE);
    return ShowScanDialog();
}

static TW_UINT16 DisableDS() {
    gUIDisabled = TRUE;
    gUIOnly = FALSE;
    if (!StateIn(DS_STATE_ENABLED, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    // The dialog is only hidden; the next enable shows it again.
    if (gShowUI && gUIWindow) ShowWindow(gUIWindow, SW_HIDE);
    gDSState = DS_STATE_OPEN;
    return TWRC_SUCCESS;
}

TW_UINT16 UserInterfaceHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    switch (args->MSG) {
    case MSG_ENABLEDS:
        return EnableDS(static_cast<pTW_USERINTERFACE>(args->pData));
    case MSG_DISABLEDS:
        return DisableDS();
    case MSG_ENABLEDSUIONLY:
        if (SpeaksTwain24()) return EnableDSUIOnly(static_cast<pTW_USERINTERFACE>(args->pData));
        return FailWith(TWCC_BADPROTOCOL);
    default:
        return FailWith(TWCC_BADPROTOCOL);
    }
}
