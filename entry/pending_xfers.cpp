// DG_CONTROL / DAT_PENDINGXFERS: images left, end of a transfer, reset.
#include "dispatch.h"

#include "caps/scanner_settings.h"
#include "caps/store.h"
#include "image/current_image.h"
#include "startup/protocol.h"
#include "startup/scan_module.h"

static TW_UINT16 GetPending(pTW_PENDINGXFERS pending) {
    if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    pending->Count = (TW_UINT16)gXferCount;
    return TWRC_SUCCESS;
}

// The images still to come: what the scan module holds, and no more than the
// application asked for (CAP_XFERCOUNT; -1, all of them).
static TW_UINT16 ImagesToCome() {
    TW_UINT16 left = ScanModuleOps.CheckScanJob();
    if (gXferCount < 1) return left;
    TW_UINT32 wanted = gImagesEnded < (TW_UINT32)gXferCount ? (TW_UINT32)gXferCount - gImagesEnded : 0;
    return left < wanted ? left : (TW_UINT16)wanted;
}

static TW_UINT16 EndXfer(pTW_PENDINGXFERS pending) {
    if (!StateIn(DS_STATE_XFERREADY, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    if (SpeaksTwain24()) {
        // Negotiated values stay until the application resets them; only
        // the scanner's state is read again.
        ReadScannerSettings();
    } else {
        LoadScannerDefaults();
        ResetCurrentValues();
        gXferCount = 0;
        gFeederEnabled = 0;
    }
    // An image ended before it was transferred is dropped with its data.
    gXferReady = FALSE;
    DiscardImage();
    ++gImagesEnded;
    pending->Count = SpeaksTwain24() ? ImagesToCome() : ScanModuleOps.CheckScanJob();
    if (pending->Count > 0) TakeAnnouncedImage();
    // A TWAIN 1.5 source stays ready while paper is in the feeder.
    bool paperWaits = !SpeaksTwain24() && gScannerDefaults.FeederLoaded != 0;
    gDSState = pending->Count > 0 || paperWaits ? DS_STATE_XFERREADY : DS_STATE_ENABLED;
    return TWRC_SUCCESS;
}

static TW_UINT16 ResetPending(pTW_PENDINGXFERS pending) {
    if (gDSState != DS_STATE_XFERREADY) return FailWith(TWCC_SEQERROR);
    if (SpeaksTwain24()) {
        ReadScannerSettings();
        pending->Count = 0;
    } else {
        LoadScannerDefaults();
        ResetCurrentValues();
        TW_INT16 count = (gScannerDefaults.FeederEnabled && gScannerDefaults.FeederLoaded) ? 1 : 0;
        gXferCountDefault = gXferCount = count;
        pending->Count = (TW_UINT16)count;
    }
    // The announced image is dropped: the next announcement must be heard.
    gXferReady = FALSE;
    DiscardImage();
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
