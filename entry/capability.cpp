// DG_CONTROL / DAT_CAPABILITY: answers from the capability store, in every
// state.
#include "dispatch.h"

#include "caps/capability.h"

TW_UINT16 CapabilityHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    CapResult answer = AnswerCapability(static_cast<pTW_CAPABILITY>(args->pData), args->MSG);
    if (answer.rc == TWRC_FAILURE) gConditionCode = answer.conditionCode;
    return answer.rc;
}
