// DG_CONTROL / DAT_CAPABILITY: answers from the capability store. A TWAIN
// 1.5 source answers in every state; a TWAIN 2.4 source while it is open,
// and changes values only before it is enabled.
#include "dispatch.h"

#include "caps/capability.h"
#include "startup/protocol.h"

static bool ChangesValues(TW_UINT16 msg) { return msg == MSG_SET || msg == MSG_RESET || msg == MSG_RESETALL; }

TW_UINT16 CapabilityHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (SpeaksTwain24()) {
        if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
        if (ChangesValues(args->MSG) && gDSState != DS_STATE_OPEN) return FailWith(TWCC_SEQERROR);
    }
    CapResult answer = AnswerCapability(static_cast<pTW_CAPABILITY>(args->pData), args->MSG);
    if (answer.rc == TWRC_FAILURE) gConditionCode = answer.conditionCode;
    return answer.rc;
}
