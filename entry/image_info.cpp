// DG_IMAGE / DAT_IMAGEINFO: the description of the image that is ready.
#include "dispatch.h"

#include "image/current_image.h"
#include "startup/protocol.h"

TW_UINT16 ImageInfoHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (args->MSG != MSG_GET) return FailWith(TWCC_BADPROTOCOL);
    // TWAIN 2.4 keeps the description readable after the transfer, until
    // MSG_ENDXFER.
    TW_UINT16 last = SpeaksTwain24() ? DS_STATE_XFERRING : DS_STATE_XFERREADY;
    if (!StateIn(DS_STATE_XFERREADY, last)) return FailWith(TWCC_SEQERROR);
    if (!args->pData) return FailWith(TWCC_BADVALUE);
    *static_cast<pTW_IMAGEINFO>(args->pData) = gImageInfo;
    return TWRC_SUCCESS;
}
