// DG_IMAGE / DAT_IMAGEINFO: the description of the image that is ready.
#include "dispatch.h"

#include "image/current_image.h"

TW_UINT16 ImageInfoHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (args->MSG != MSG_GET) return FailWith(TWCC_BADPROTOCOL);
    if (gDSState != DS_STATE_XFERREADY) return FailWith(TWCC_SEQERROR);
    if (!args->pData) return FailWith(TWCC_BADVALUE);
    *static_cast<pTW_IMAGEINFO>(args->pData) = gImageInfo;
    return TWRC_SUCCESS;
}
