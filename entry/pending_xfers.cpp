// DG_CONTROL / DAT_PENDINGXFERS: images left, end of a transfer, reset.
#include "dispatch.h"

#include "caps/scanner_settings.h"
#include "caps/store.h"
#include "image/current_image.h"
#include "startup/scan_module.h"

static TW_UINT16 GetPending(pTW_PENDINGXFERS pending) {
    if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    pending->Count = (TW_UINT16)gXferCount;
    return TWRC_SUCCESS;
}

static TW_UINT16 EndXfer(pTW_PENDINGXFERS pending) {
    if (!StateIn(DS_STATE_XFERREADY, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    LoadScannerDefaults();
    ResetCurrentValues();
    gXferCount = 0;
    gFeederEnabled = 0;
    // An image ended before it was transferred is dropped with its data.
    gXferReady = FALSE;
    DropImage();
    pending->Count = ScanModuleOps.CheckScanJob();
    if (pending->Count > 0) {
        // The next image of the job: described, and received when its
        // length is open, like an announced one.
        ScanModuleOps.UpdateImageInfo(&gImageInfo);
        TakeAnnouncedImage();
    }
    // Paper in the feeder keeps the session ready for the next page.
    if (pending->Count == 0 && gScannerDefaults.FeederLoaded == 0)
        gDSState = DS_STATE_ENABLED;
    else
        gDSState = DS_STATE_XFERREADY;
    return TWRC_SUCCESS;
}

static TW_UINT16 ResetPending(pTW_PENDINGXFERS pending) {
    if (gDSState != DS_STATE_XFERREADY) return FailWith(TWCC_SEQERROR);
    LoadScannerDefaults();
    ResetCurrentValues();
    TW_INT16 count = (gScannerDefaults.FeederEnabled && gScannerDefaults.FeederLoaded) ? 1 : 0;
    gXferCountDefault = gXferCount = count;
    pending->Count = (TW_UINT16)count;
    // The announced image is dropped: the next announcement must be heard.
    gXferReady = FALSE;
    DropImage();
    gDSState = DS_STATE_ENABLED;
    return TWRC_SUCCESS;
}

TW_UINT16 PendingXfersHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    pTW_PENDINGXFERS pending = static_cast<pTW_PENDINGXFERS>(args->pData);
    if (!pending) return FailWith(TWCC_BADVALUE);
    pending->EOJ = 0;
    switch (args->MSG) {
    case MSG_GET:
        return GetPending(pending);
    case MSG_ENDXFER:
        return EndXfer(pending);
    case MSG_RESET:
        return ResetPending(pending);
    default:
        return FailWith(TWCC_BADPROTOCOL);
    }
}
