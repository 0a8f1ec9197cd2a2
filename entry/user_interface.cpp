// DG_CONTROL / DAT_USERINTERFACE: enable with or without the scan module's
// dialog, and disable.
#include "dispatch.h"

#include "caps/scanner_settings.h"
#include "startup/scan_module.h"

static HWND gParentWindow;

static TW_UINT16 EnableDS(pTW_USERINTERFACE ui) {
    // The scan module gets the negotiated values whatever follows.
    SendScannerSettings();
    gUIDisabled = FALSE;
    if (gDSState != DS_STATE_OPEN) return FailWith(TWCC_SEQERROR);
    if (!ui) return FailWith(TWCC_BADVALUE);
    // An image announced before a disable can no longer be transferred; it
    // goes, so that the scan this enable starts is heard.
    if (gXferReady) {
        gXferReady = FALSE;
        DropImage();
    }

    gParentWindow = static_cast<HWND>(ui->hParent);
    gShowUI = ui->ShowUI;
    ui->ModalUI = TRUE;

    if (gShowUI) {
        // Enabled before the dialog shows: a dialog that scans as it opens
        // (one nobody can see) announces its image inside this call.
        gDSState = DS_STATE_ENABLED;
        if (!gUIWindow) {
            gUIWindow = ScanModuleOps.OpenSMUI(gParentWindow);
            if (!gUIWindow) {
                gDSState = DS_STATE_OPEN;
                if (gXferReady) {
                    gXferReady = FALSE;
                    DropImage();
                }
                return FailWith(TWCC_LOWMEMORY);
            }
        } else {
            ShowWindow(gUIWindow, SW_SHOW);
        }
        return TWRC_SUCCESS;
    }

    // Without a dialog the scan starts now; an image the scan module
    // announces during the call moves the state on to 600.
    gDSState = DS_STATE_ENABLED;
    if (!ScanModuleOps.NoUItoXferImage(gParentWindow)) return FailWith(TWCC_LOWMEMORY);
    return TWRC_SUCCESS;
}

static TW_UINT16 DisableDS() {
    gUIDisabled = TRUE;
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
    default:  // MSG_ENABLEDSUIONLY included
        return FailWith(TWCC_BADPROTOCOL);
    }
}
