// DG_IMAGE / DAT_IMAGELAYOUT: the frame the application asks for.
#include "dispatch.h"

#include "caps/image_layout.h"

TW_UINT16 ImageLayoutHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    pTW_IMAGELAYOUT layout = static_cast<pTW_IMAGELAYOUT>(args->pData);
    switch (args->MSG) {
    case MSG_GET:
    case MSG_GETDEFAULT:  // the current layout, as the source always answered
        if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERREADY)) return FailWith(TWCC_SEQERROR);
        if (!layout) return FailWith(TWCC_BADVALUE);
        *layout = gImageLayout;
        return TWRC_SUCCESS;
    case MSG_SET:
        if (gDSState != DS_STATE_OPEN) return FailWith(TWCC_SEQERROR);
        if (!layout) return FailWith(TWCC_BADVALUE);
        gImageLayout = *layout;
        return TWRC_SUCCESS;
    case MSG_RESET:
        if (gDSState != DS_STATE_OPEN) return FailWith(TWCC_SEQERROR);
        if (!layout) return FailWith(TWCC_BADVALUE);
        gImageLayout = gDefaultLayout;
        *layout = gImageLayout;
        return TWRC_SUCCESS;
    default:
        return FailWith(TWCC_BADPROTOCOL);
    }
}
