// DG_CONTROL / DAT_STATUS: reports the condition code of the operation
// before, then clears it.
#include "dispatch.h"

TW_UINT16 StatusHandler(TripletArgs *args) {
    if (args->MSG != MSG_GET) return FailWith(TWCC_BADPROTOCOL);
    if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    pTW_STATUS status = static_cast<pTW_STATUS>(args->pData);
    if (!status) return FailWith(TWCC_BADVALUE);
    status->ConditionCode = gConditionCode;
    status->Reserved = 0;
    gConditionCode = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}
