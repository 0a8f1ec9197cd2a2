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

// Derives the default light path from the scanner's reflective flag: a 2.4
// source as it takes the scanner's defaults, a 1.5 source when the default
// is asked for.
void DeriveLightPathDefault();

// Takes the application's value for MSG_SET into gSetValue, by the
// container it sent; FALSE when it cannot be read.
BOOL ReadSetValue(pTW_CAPABILITY cap);

// CAP_TIMEDATE: the local date and time now, as a TW_STR32 one-value
// ("Mon Dec 07 09:05:03 2026\n"), whatever the message.
CapResult AnswerTimeDate(pTW_CAPABILITY cap, TW_UINT16 msg);

// The answers of a TWAIN 2.4 source (twain24_caps.cpp): every message,
// MSG_QUERYSUPPORT and MSG_RESETALL included.
CapResult AnswerCapability24(pTW_CAPABILITY cap, TW_UINT16 msg);

#endif
