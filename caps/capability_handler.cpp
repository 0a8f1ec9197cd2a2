// The answer to one DAT_CAPABILITY call: found by capability id in the
// catalogues, or refused.
#include "cap_handlers.h"

#include "startup/protocol.h"

TW_UINT32 gSetValue;

// Recognised, and refused on every message.
static const TW_UINT16 kUnsupportedCaps[] = {
    CAP_EXTENDEDCAPS,
    CAP_CLEARPAGE,
    CAP_FEEDPAGE,
    CAP_REWINDPAGE,
    CAP_INDICATORS,
    ICAP_CUSTHALFTONE,
    ICAP_EXPOSURETIME,
    ICAP_FILTER,
    ICAP_FLASHUSED,
    ICAP_GAMMA,
    ICAP_HIGHLIGHT,
    ICAP_LAMPSTATE,
    ICAP_LIGHTSOURCE,
    ICAP_ORIENTATION,
    ICAP_SHADOW,
    ICAP_XNATIVERESOLUTION,
    ICAP_YNATIVERESOLUTION,
    ICAP_TILES,
    ICAP_CCITTKFACTOR,
    ICAP_ROTATION,
    ICAP_THRESHOLD,
    ICAP_BITORDERCODES,
    ICAP_PIXELFLAVORCODES,
    ICAP_TIMEFILL,
    ICAP_BITDEPTH,
    ICAP_BITDEPTHREDUCTION,
};

static bool IsUnsupported(TW_UINT16 id) {
    for (TW_UINT16 unsupported : kUnsupportedCaps)
        if (unsupported == id) return true;
    return false;
}

BOOL ReadSetValue(pTW_CAPABILITY cap) {
    BOOL read;
    switch (cap->ConType) {
    case TWON_ONEVALUE:
        read = ReadOneValue(cap, &gSetValue);
        break;
    case TWON_ENUMERATION:
        read = ReadEnumerationCurrent(cap, &gSetValue);
        break;
    case TWON_RANGE:
        read = ReadRangeCurrent(cap, &gSetValue);
        break;
    case TWON_ARRAY:
        read = ReadArrayItem(cap, &gSetValue, 0);
        break;
    default:
        read = FALSE;
    }
    return read;
}

static const CapEntry *FindCap(TW_UINT16 id) {
    if (const CapEntry *entry = FindEnumeratedCap(id)) return entry;
    if (const CapEntry *entry = FindValueCap(id)) return entry;
    return FindFixedCap(id);
}

// Capabilities that are named but answered only with a refusal.
static CapResult AnswerRefused(TW_UINT16 id, TW_UINT16 msg) {
    if (id == ICAP_FRAMES || id == ICAP_MAXFRAMES) return Refuse(TWCC_BADVALUE);
    if (id == ICAP_HALFTONES) return Refuse(msg == MSG_SET ? TWCC_BADCAP : TWCC_BADPROTOCOL);
    if (id == CAP_SUPPORTEDCAPS || IsUnsupported(id)) return Refuse(TWCC_BADCAP);
    // Unknown. A set that stores nothing must not pass for one that took.
    return Refuse(msg == MSG_SET ? TWCC_BADCAP : TWCC_BADPROTOCOL);
}

CapResult AnswerCapability(pTW_CAPABILITY cap, TW_UINT16 msg) {
    if (SpeaksTwain24()) return AnswerCapability24(cap, msg);
    if (msg != MSG_GET && msg != MSG_GETCURRENT && msg != MSG_GETDEFAULT && msg != MSG_SET && msg != MSG_RESET)
        return Refuse(TWCC_BADPROTOCOL);
    if (!cap) return Refuse(TWCC_BADVALUE);
    if (msg == MSG_SET && !ReadSetValue(cap)) return Refuse(TWCC_BADVALUE);

    const CapEntry *entry = FindCap(cap->Cap);
    if (!entry) return AnswerRefused(cap->Cap, msg);
    return entry->answer(cap, msg);
}
