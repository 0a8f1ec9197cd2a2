// Capabilities answered one by one, without an item list: the transfer
// count, automatic brightness, brightness and contrast ranges, the feeder,
// and whether the source scans without its dialog.
#include "cap_handlers.h"

#include "scanner_settings.h"
#include "startup/scan_module.h"

static TW_UINT32 SignExtend(TW_INT16 v) { return (TW_UINT32)(TW_INT32)v; }
static TW_UINT32 AsBool(TW_UINT32 v) { return v != 0; }

static CapResult AnswerXferCount(pTW_CAPABILITY cap, TW_UINT16 msg) {
    switch (msg) {
    case MSG_GETCURRENT:
        return Answered(BuildOneValue(cap, TWTY_INT16, SignExtend(gXferCount)));
    case MSG_SET:
        gXferCount = (TW_INT16)SetValue16();
        return Accepted();
    case MSG_RESET:
        gXferCount = gXferCountDefault;
        [[fallthrough]];
    default:  // MSG_GET reports the default, as MSG_GETDEFAULT does
        return Answered(BuildOneValue(cap, TWTY_INT16, SignExtend(gXferCountDefault)));
    }
}

static CapResult AnswerAutoBright(pTW_CAPABILITY cap, TW_UINT16 msg) {
    switch (msg) {
    case MSG_GETCURRENT:
        return Answered(BuildOneValue(cap, TWTY_BOOL, AsBool(gAutoBright)));
    case MSG_SET:
        gAutoBright = SetValue16();
        return Accepted();
    case MSG_RESET:
        gAutoBright = gAutoBrightDefault;
        [[fallthrough]];
    default:
        return Answered(BuildOneValue(cap, TWTY_BOOL, AsBool(gAutoBrightDefault)));
    }
}

// Brightness is a range of TW_FIX32 whole numbers; contrast a range of
// TW_INT32. MSG_GET has always answered the narrower range of the scanner's
// own control; the other messages answer the full range with the stored
// values.
static TW_UINT32 RangeItem(TW_UINT16 itemType, TW_INT32 n) {
    return itemType == TWTY_FIX32 ? Fix32Item(IntToFix32(n)) : (TW_UINT32)n;
}

static CapResult AnswerRange(pTW_CAPABILITY cap, TW_UINT16 itemType, TW_INT32 min, TW_INT32 max, TW_INT32 step,
                             TW_INT32 fallback, TW_INT32 current) {
    TW_RANGE range;
    range.ItemType = itemType;
    range.MinValue = RangeItem(itemType, min);
    range.MaxValue = RangeItem(itemType, max);
    range.StepSize = RangeItem(itemType, step);
    range.DefaultValue = RangeItem(itemType, fallback);
    range.CurrentValue = RangeItem(itemType, current);
    return Answered(BuildRange(cap, &range));
}

static CapResult AnswerLevel(pTW_CAPABILITY cap, TW_UINT16 msg, TW_UINT16 itemType, TW_INT16 &current,
                             TW_INT16 fallback, TW_INT32 controlStep) {
    switch (msg) {
    case MSG_GET:
        return AnswerRange(cap, itemType, -128, 127, controlStep, 0, 0);
    case MSG_SET:
        current = (TW_INT16)SetValue16();
        return Accepted();
    case MSG_RESET:
        current = fallback;
        [[fallthrough]];
    default:
        return AnswerRange(cap, itemType, -1000, 1000, 1, fallback, current);
    }
}

static CapResult AnswerBrightness(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerLevel(cap, msg, TWTY_FIX32, gBrightness, gBrightnessDefault, 1);
}

static CapResult AnswerContrast(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerLevel(cap, msg, TWTY_INT32, gContrast, gContrastDefault, 8);
}

// FALSE is answered as a failure, with the container handed over all the
// same: applications have long read a disabled feeder that way.
static CapResult AnswerFeederState(pTW_CAPABILITY cap, TW_UINT16 enabled) {
    if (!enabled) return Refuse(BuildOneValue(cap, TWTY_BOOL, FALSE) ? TWCC_BADVALUE : TWCC_LOWMEMORY);
    return Answered(BuildOneValue(cap, TWTY_BOOL, TRUE));
}

static CapResult AnswerFeederEnabled(pTW_CAPABILITY cap, TW_UINT16 msg) {
    if (msg == MSG_SET) {
        gFeederEnabled = SetValue16();
        return Accepted();
    }
    if (msg == MSG_GETCURRENT) return AnswerFeederState(cap, gFeederEnabled);
    if (gScannerDefaults.FeederPresent == 0) return Refuse(TWCC_BADCAP);
    if (msg == MSG_GET) return AnswerFeederState(cap, gFeederEnabled);
    if (msg == MSG_RESET) gFeederEnabled = gFeederEnabledDefault;
    return AnswerFeederState(cap, gFeederEnabledDefault);
}

static CapResult AnswerFeederLoaded(pTW_CAPABILITY cap, TW_UINT16 msg) {
    switch (msg) {
    case MSG_SET:
        return Accepted();
    case MSG_RESET:
        return Refuse(TWCC_BADPROTOCOL);
    case MSG_GETDEFAULT:
        if (!gFeederEnabledDefault) return Refuse(TWCC_BADCAP);
        return Answered(BuildOneValue(cap, TWTY_BOOL, AsBool(gScannerDefaults.FeederLoaded)));
    case MSG_GETCURRENT:  // asked of the scanner itself
        if (!gFeederEnabled) return Refuse(TWCC_BADCAP);
        return Answered(BuildOneValue(cap, TWTY_BOOL, (TW_UINT32)ScanModuleOps.ConnectScanner(1)));
    default:  // MSG_GET: as the last settings read left it
        if (!gFeederEnabled) return Refuse(TWCC_BADCAP);
        return Answered(BuildOneValue(cap, TWTY_BOOL, gScannerDefaults.FeederLoaded));
    }
}

// CAP_UICONTROLLABLE: the source scans without its dialog when the scan
// module can (NoUItoXferImage). A fact, read with any of the three gets.
static CapResult AnswerUIControllable(pTW_CAPABILITY cap, TW_UINT16 msg) {
    if (msg != MSG_GET && msg != MSG_GETCURRENT && msg != MSG_GETDEFAULT) return Refuse(TWCC_BADCAP);
    return Answered(BuildOneValue(cap, TWTY_BOOL, ScanModuleScansWithoutDialog() ? TRUE : FALSE));
}

static const CapEntry kValueCaps[] = {
    {CAP_XFERCOUNT, AnswerXferCount},           {ICAP_AUTOBRIGHT, AnswerAutoBright},
    {ICAP_BRIGHTNESS, AnswerBrightness},        {ICAP_CONTRAST, AnswerContrast},
    {CAP_FEEDERENABLED, AnswerFeederEnabled},   {CAP_FEEDERLOADED, AnswerFeederLoaded},
    {CAP_UICONTROLLABLE, AnswerUIControllable},
};

const CapEntry *FindValueCap(TW_UINT16 id) {
    for (const CapEntry &entry : kValueCaps)
        if (entry.id == id) return &entry;
    return nullptr;
}
