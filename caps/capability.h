// Capability negotiation as the triplet handler above sees it: one answer per
// DAT_CAPABILITY call, from the store, in every state.
#ifndef QR_CAPS_CAPABILITY_H
#define QR_CAPS_CAPABILITY_H

#include "twain.h"

// The return code of an answer, and the condition code of a refusal.
struct CapResult {
    TW_UINT16 rc;
    TW_UINT16 conditionCode;
};

// Answers `msg` for the capability `cap` names; a container it builds goes
// into `cap` for the application.
CapResult AnswerCapability(pTW_CAPABILITY cap, TW_UINT16 msg);

#endif
