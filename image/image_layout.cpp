// DG_IMAGE / DAT_IMAGELAYOUT: the frame the application asks for. Its frame
// reaches the scan module when the source is enabled.
#include "image_layout.h"

#include "entry/dispatch.h"

#include <string.h>

TW_IMAGELAYOUT gImageLayout;
TW_IMAGELAYOUT gDefaultLayout;

void InitImageLayout() {
    memset(&gImageLayout.Frame, 0, sizeof gImageLayout.Frame);
    gImageLayout.DocumentNumber = 1;
    gImageLayout.PageNumber = 1;
    gImageLayout.FrameNumber = 1;
    gDefaultLayout = gImageLayout;
}

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
