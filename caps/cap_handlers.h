// The capability handler's pieces: one answer function per kind of
// capability, found through the catalogue by capability id.
#ifndef QR_CAPS_CAP_HANDLERS_H
#define QR_CAPS_CAP_HANDLERS_H

#include "capability.h"
#include "containers.h"

// Answers one message for one capability. For MSG_SET the application's value
// is already in gSetValue.
typedef CapResult (*CapAnswer)(pTW_CAPABILITY cap, TW_UINT16 msg);

struct CapEntry {
    TW_UINT16 id;
    CapAnswer answer;
};

// The holding value MSG_SET reads the application's item into; every
// capability uses its low 16 bits.
extern TW_UINT32 gSetValue;
inline TW_UINT16 SetValue16() { return (TW_UINT16)gSetValue; }

inline CapResult Accepted() { return {TWRC_SUCCESS, TWCC_SUCCESS}; }
inline CapResult Refuse(TW_UINT16 conditionCode) { return {TWRC_FAILURE, conditionCode}; }

// The answer is built, or the source is out of memory.
inline CapResult Answered(BOOL built) { return built ? Accepted() : Refuse(TWCC_LOWMEMORY); }

// Finds the catalogue entry of a capability id, or null.
const CapEntry *FindEnumeratedCap(TW_UINT16 id);
const CapEntry *FindValueCap(TW_UINT16 id);
const CapEntry *FindFixedCap(TW_UINT16 id);

// Derives the default light path from the scanner's reflective flag.
void DeriveLightPathDefault();

#endif
