// DG_CONTROL / DAT_IDENTITY: identity, open and close.
#include "dispatch.h"

#include "caps/file_setup.h"
#include "caps/image_layout.h"
#include "caps/scanner_settings.h"
#include "caps/store.h"
#include "image/current_image.h"
#include "startup/scan_module.h"

static TW_UINT16 GetIdentity(TripletArgs *args) {
    if (!StateIn(DS_STATE_LOADED, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    if (!args->pData) return FailWith(TWCC_BADVALUE);
    *static_cast<pTW_IDENTITY>(args->pData) = gDSIdentity;
    return TWRC_SUCCESS;
}

static TW_UINT16 OpenDS(TripletArgs *args) {
    if (gDSState != DS_STATE_LOADED) return FailWith(TWCC_SEQERROR);
    if (!args->pOrigin || !args->pData) return FailWith(TWCC_BADVALUE);
    if (!ScanModuleOps.ConnectScanner(0)) return FailWith(TWCC_OPERATIONERROR);

    gAppIdentity = *args->pOrigin;
    // Our identity as the Source Manager knows it, with the Id it assigned.
    gDSIdentity = *static_cast<pTW_IDENTITY>(args->pData);

    LoadScannerDefaults();
    InitDefaultFileXfer();
    InitImageLayout();
    ResetCurrentValues();
    gDSState = DS_STATE_OPEN;
    return TWRC_SUCCESS;
}

static TW_UINT16 CloseDS() {
    if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    if (gShowUI) {
        ScanModuleOps.CloseSMUI();
        gUIWindow = nullptr;
    }
    gAppIdentity.Id = 0;
    gDSState = DS_STATE_LOADED;
    // An image announced and never transferred must not block the next
    // session's announcements.
    gXferReady = FALSE;
    DiscardImage();
    return TWRC_SUCCESS;
}

TW_UINT16 IdentityHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    switch (args->MSG) {
    case MSG_GET:
        return GetIdentity(args);
    case MSG_OPENDS:
        return OpenDS(args);
    case MSG_CLOSEDS:
        return CloseDS();
    default:
        return FailWith(TWCC_BADPROTOCOL);
    }
}
