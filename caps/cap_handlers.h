// The capability handler's pieces: one answer function per kind of
// capability, found through the catalogue by capability id.
#ifndef QR_CAPS_CAP_HANDLERS_H
#define QR_CAPS_CAP_HANDLERS_H

#include "containers.h"
#include "entry/dispatch.h"

// Answers one message for one capability. For MSG_SET the application's value
// is already in gSetValue.
typedef TW_UINT16 (*CapAnswer)(pTW_CAPABILITY cap, TW_UINT16 msg);

struct CapEntry {
    TW_UINT16 id;
    CapAnswer answer;
};

// The holding value MSG_SET reads the application's item into; every
// capability uses its low 16 bits.
extern TW_UINT32 gSetValue;
inline TW_UINT16 SetValue16() { return (TW_UINT16)gSetValue; }

// The answer is built, or the source is out of memory.
inline TW_UINT16 Answered(BOOL built, TW_UINT16 rc = TWRC_SUCCESS) {
    return built ? rc : FailWith(TWCC_LOWMEMORY);
}

// Finds the catalogue entry of a capability id, or null.
const CapEntry *FindEnumeratedCap(TW_UINT16 id);
const CapEntry *FindValueCap(TW_UINT16 id);
const CapEntry *FindFixedCap(TW_UINT16 id);

// Derives the default light path from the scanner's reflective flag.
void DeriveLightPathDefault();

#endif
