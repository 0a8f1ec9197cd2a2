// DG_CONTROL / DAT_XFERGROUP: the source transfers images only.
#include "dispatch.h"

TW_UINT16 XferGroupHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (args->MSG != MSG_GET) return FailWith(TWCC_BADPROTOCOL);
    if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERREADY)) return FailWith(TWCC_SEQERROR);
    if (!args->pData) return FailWith(TWCC_BADVALUE);
    *static_cast<TW_UINT32 *>(args->pData) = DG_IMAGE;
    return TWRC_SUCCESS;
}
