// Capabilities with a fixed answer: readable with MSG_GET only.
#include "cap_handlers.h"

#include "startup/modules.h"
#include "ui/resource.h"

#include <stdio.h>
#include <time.h>

static CapResult AnswerString(pTW_CAPABILITY cap, TW_UINT16 itemType, UINT stringId) {
    char text[256] = {};
    LoadStringA(ghInstance, stringId, text, ItemSize(itemType));
    return Answered(BuildOneValueText(cap, itemType, text));
}

// The local date and time as 25 characters, "Mon Dec 07 09:05:03 2026\n",
// with English names whatever the locale.
static void FormatTimeDate(char *out, size_t size) {
    static const char *const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    time_t now = time(nullptr);
    struct tm local {};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    snprintf(out, size, "%s %s %02d %02d:%02d:%02d %04d\n", kDays[local.tm_wday % 7], kMonths[local.tm_mon % 12],
             local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
}

CapResult AnswerTimeDate(pTW_CAPABILITY cap, TW_UINT16) {
    char text[34];
    FormatTimeDate(text, sizeof text);
    return Answered(BuildOneValueText(cap, TWTY_STR32, text));
}

static CapResult AnswerFixed(pTW_CAPABILITY cap, TW_UINT16 msg) {
    if (msg != MSG_GET) return Refuse(TWCC_BADCAP);
    switch (cap->Cap) {
    case CAP_AUTHOR:
        return AnswerString(cap, TWTY_STR128, IDS_AUTHOR);
    case CAP_CAPTION:
        return AnswerString(cap, TWTY_STR255, IDS_CAPTION);
    case CAP_TIMEDATE:
        return AnswerTimeDate(cap, msg);
    case CAP_AUTOFEED:
        return Answered(BuildOneValue(cap, TWTY_BOOL, gFeederEnabledDefault != 0));
    case ICAP_PHYSICALWIDTH:  // inches, whatever the units
        return Answered(BuildOneValue(cap, TWTY_FIX32, Fix32Item(FloatToFix32(8.5f))));
    case ICAP_PHYSICALHEIGHT:
        return Answered(BuildOneValue(cap, TWTY_FIX32, Fix32Item(FloatToFix32(11.5f))));
    default:  // ICAP_XSCALING, ICAP_YSCALING
        return Answered(BuildOneValue(cap, TWTY_FIX32, Fix32Item(IntToFix32(1))));
    }
}

static const TW_UINT16 kFixedCaps[] = {
    CAP_AUTHOR,         CAP_CAPTION,         CAP_TIMEDATE,  CAP_AUTOFEED,
    ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT, ICAP_XSCALING, ICAP_YSCALING,
};
static const CapEntry kEntry = {0, AnswerFixed};

const CapEntry *FindFixedCap(TW_UINT16 id) {
    for (TW_UINT16 fixed : kFixedCaps)
        if (fixed == id) return &kEntry;
    return nullptr;
}
