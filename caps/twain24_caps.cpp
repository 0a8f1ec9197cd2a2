// The capabilities of a TWAIN 2.4 source (Protocol=2.4). Each declares the
// messages it answers, which are the TWQC bits MSG_QUERYSUPPORT reports and
// the only messages it is asked: the two cannot disagree. Every container
// follows TWAIN 2.4: MSG_GET an enumeration, range or array (a TW_ONEVALUE
// where TWAIN has no list), the other messages a TW_ONEVALUE (an array for
// the array capabilities). MSG_RESET and MSG_RESETALL go back to the
// defaults of MSG_OPENDS.
#include "cap_handlers.h"

#include "scanner_settings.h"
#include "startup/scan_module.h"

namespace {

const TW_INT32 kGets = TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT;
const TW_INT32 kAll = kGets | TWQC_SET | TWQC_RESET;

TW_INT32 MessageBit(TW_UINT16 msg) {
    switch (msg) {
    case MSG_GET:
        return TWQC_GET;
    case MSG_GETCURRENT:
        return TWQC_GETCURRENT;
    case MSG_GETDEFAULT:
        return TWQC_GETDEFAULT;
    case MSG_SET:
        return TWQC_SET;
    case MSG_RESET:
        return TWQC_RESET;
    default:
        return 0;
    }
}

bool FeederPresent() { return gScannerDefaults.FeederPresent != 0; }

// ---- TW_BOOL capabilities: MSG_GET lists the values they can take.

enum BoolValues { ONLY_FALSE = 1, ONLY_TRUE = 2, FALSE_OR_TRUE = 3 };

CapResult AnswerBool(pTW_CAPABILITY cap, TW_UINT16 msg, bool current, bool fallback, int values) {
    if (msg == MSG_GETCURRENT) return Answered(BuildOneValue(cap, TWTY_BOOL, current));
    if (msg != MSG_GET) return Answered(BuildOneValue(cap, TWTY_BOOL, fallback));
    TW_UINT16 items[2];
    TW_UINT32 count = 0;
    if (values & ONLY_FALSE) items[count++] = FALSE;
    if (values & ONLY_TRUE) items[count++] = TRUE;
    // A value that is not among them (a scanner's odd default) points at
    // the first: the application is never handed an index beyond the list.
    auto index = [&](bool value) { return count == 2 ? (TW_UINT32)value : 0u; };
    EnumDescriptor descriptor = {TWTY_BOOL, count, index(current), index(fallback)};
    return Answered(BuildEnumeration(cap, &descriptor, items));
}

// MSG_SET of a BOOL: any nonzero item is TRUE; a value the capability cannot
// take is refused.
CapResult SetBool(TW_UINT16 *current, int values) {
    bool value = SetValue16() != 0;
    if (!(values & (value ? ONLY_TRUE : ONLY_FALSE))) return Refuse(TWCC_BADVALUE);
    *current = value;
    return Accepted();
}

// A stored BOOL capability with its default.
CapResult AnswerStoredBool(pTW_CAPABILITY cap, TW_UINT16 msg, TW_UINT16 *current, TW_UINT16 fallback, int values) {
    if (msg == MSG_SET) return SetBool(current, values);
    if (msg == MSG_RESET) *current = fallback;
    return AnswerBool(cap, msg, *current != 0, fallback != 0, values);
}

// A fact of the scanner: the same answer for the three gets.
CapResult AnswerFact(pTW_CAPABILITY cap, TW_UINT16 msg, bool fact) {
    return AnswerBool(cap, msg, fact, fact, fact ? ONLY_TRUE : ONLY_FALSE);
}

// A flatbed's feeder is off and stays off, whatever the scanner's settings
// said.
CapResult AnswerFeederEnabled(pTW_CAPABILITY cap, TW_UINT16 msg) {
    bool present = FeederPresent();
    int values = present ? FALSE_OR_TRUE : ONLY_FALSE;
    if (msg == MSG_SET) return SetBool(&gFeederEnabled, values);
    if (msg == MSG_RESET) gFeederEnabled = gFeederEnabledDefault;
    return AnswerBool(cap, msg, present && gFeederEnabled, present && gFeederEnabledDefault, values);
}

CapResult AnswerFeederLoaded(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerFact(cap, msg, ScanModuleOps.ConnectScanner(1) != 0);
}

// The simulated and any other feeder of ours feeds the next page itself.
CapResult AnswerAutoFeed(pTW_CAPABILITY cap, TW_UINT16 msg) {
    TW_UINT16 always = TRUE;
    return AnswerStoredBool(cap, msg, &always, TRUE, ONLY_TRUE);
}

CapResult AnswerIndicators(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerStoredBool(cap, msg, &gIndicators, gIndicatorsDefault, FALSE_OR_TRUE);
}

CapResult AnswerAutoBright(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerStoredBool(cap, msg, &gAutoBright, gAutoBrightDefault, FALSE_OR_TRUE);
}

CapResult AnswerUIControllable(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerFact(cap, msg, ScanModuleScansWithoutDialog() != FALSE);
}

CapResult AnswerEnableDSUIOnly(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerFact(cap, msg, ScanModuleHasDialog() != FALSE);
}

// Without a word from the scan module the scanner is online: it answered
// when the source was opened, or the source would not be.
CapResult AnswerDeviceOnline(pTW_CAPABILITY cap, TW_UINT16 msg) {
    IsDeviceOnlineProc online = ScanModuleOptionalOps.IsDeviceOnline;
    return AnswerFact(cap, msg, online ? online() != 0 : true);
}

// ---- Numbers.

CapResult AnswerXferCount(pTW_CAPABILITY cap, TW_UINT16 msg) {
    switch (msg) {
    case MSG_SET: {
        // All images (-1), or a count of at least one.
        TW_INT16 count = (TW_INT16)SetValue16();
        if (count != -1 && count < 1) return Refuse(TWCC_BADVALUE);
        gXferCount = count;
        return Accepted();
    }
    case MSG_RESET:
        gXferCount = gXferCountDefault;
        [[fallthrough]];
    case MSG_GETDEFAULT:
        return Answered(BuildOneValue(cap, TWTY_INT16, (TW_UINT32)(TW_INT32)gXferCountDefault));
    default:  // MSG_GET, MSG_GETCURRENT
        return Answered(BuildOneValue(cap, TWTY_INT16, (TW_UINT32)(TW_INT32)gXferCount));
    }
}

// Brightness and contrast: whole numbers from -1000 to 1000 as TW_FIX32.
const TW_INT16 kLevelLimit = 1000;

CapResult AnswerLevel(pTW_CAPABILITY cap, TW_UINT16 msg, TW_INT16 *current, TW_INT16 fallback) {
    switch (msg) {
    case MSG_SET: {
        TW_INT16 level = (TW_INT16)SetValue16();
        if (level < -kLevelLimit || level > kLevelLimit) return Refuse(TWCC_BADVALUE);
        *current = level;
        return Accepted();
    }
    case MSG_GET: {
        TW_RANGE range = {TWTY_FIX32,
                          Fix32Item(IntToFix32(-kLevelLimit)),
                          Fix32Item(IntToFix32(kLevelLimit)),
                          Fix32Item(IntToFix32(1)),
                          Fix32Item(IntToFix32(fallback)),
                          Fix32Item(IntToFix32(*current))};
        return Answered(BuildRange(cap, &range));
    }
    case MSG_GETCURRENT:
        return Answered(BuildOneValue(cap, TWTY_FIX32, Fix32Item(IntToFix32(*current))));
    case MSG_RESET:
        *current = fallback;
        [[fallthrough]];
    default:
        return Answered(BuildOneValue(cap, TWTY_FIX32, Fix32Item(IntToFix32(fallback))));
    }
}

CapResult AnswerBrightness(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerLevel(cap, msg, &gBrightness, gBrightnessDefault);
}

CapResult AnswerContrast(pTW_CAPABILITY cap, TW_UINT16 msg) {
    return AnswerLevel(cap, msg, &gContrast, gContrastDefault);
}

// The depth of the current pixel type, the one every image of it has.
TW_UINT16 BitDepth() {
    switch (gPixelType) {
    case TWPT_BW:
        return 1;
    case TWPT_GRAY:
        return 8;
    default:
        return 24;
    }
}

CapResult AnswerBitDepth(pTW_CAPABILITY cap, TW_UINT16 msg) {
    TW_UINT16 depth = BitDepth();
    if (msg == MSG_SET) return SetValue16() == depth ? Accepted() : Refuse(TWCC_BADVALUE);
    if (msg != MSG_GET) return Answered(BuildOneValue(cap, TWTY_UINT16, depth));
    EnumDescriptor descriptor = {TWTY_UINT16, 1, 0, 0};
    return Answered(BuildEnumeration(cap, &descriptor, &depth));
}

// Images are never scaled on request: 1.0, and nothing else.
CapResult AnswerScaling(pTW_CAPABILITY cap, TW_UINT16 msg) {
    TW_UINT32 one = Fix32Item(IntToFix32(1));
    if (msg == MSG_SET) return gSetValue == one ? Accepted() : Refuse(TWCC_BADVALUE);
    return Answered(BuildOneValue(cap, TWTY_FIX32, one));
}

// ---- Facts of the scanner, read with the three gets.

// What the scan module says of its glass, in thousandths of an inch, or the
// letter-size glass the source has always reported.
void GlassSize(TW_UINT32 *width, TW_UINT32 *height) {
    const TW_UINT32 kLargest = 32767000;  // 32767 inches, a TW_FIX32's whole part
    TW_UINT32 w = 0, h = 0;
    GetGlassSizeProc glass = ScanModuleOptionalOps.GetGlassSize;
    if (glass && glass(&w, &h) && w >= 1 && h >= 1 && w <= kLargest && h <= kLargest) {
        *width = w;
        *height = h;
        return;
    }
    *width = 8500;
    *height = 11500;
}

CapResult AnswerPhysicalSize(pTW_CAPABILITY cap, TW_UINT16) {
    TW_UINT32 width, height;
    GlassSize(&width, &height);
    float inches = (cap->Cap == ICAP_PHYSICALWIDTH ? width : height) / 1000.0f;
    // In the current units: inches, or centimetres (as large as a TW_FIX32
    // holds).
    float size = gUnits == TWUN_CENTIMETERS ? inches * 2.54f : inches;
    if (size > 32767.0f) size = 32767.0f;
    return Answered(BuildOneValue(cap, TWTY_FIX32, Fix32Item(FloatToFix32(size))));
}

// The scan module's optical resolution, or the highest the source offers.
CapResult AnswerNativeResolution(pTW_CAPABILITY cap, TW_UINT16) {
    TW_UINT16 x = 0, y = 0;
    GetOpticalResolutionProc optical = ScanModuleOptionalOps.GetOpticalResolution;
    bool told = optical && optical(&x, &y) && x >= 1 && y >= 1 && x <= 32767 && y <= 32767;
    TW_UINT16 dpi = told ? (cap->Cap == ICAP_XNATIVERESOLUTION ? x : y) : ResolutionDpi(RESOLUTION_COUNT - 1);
    return Answered(BuildOneValue(cap, TWTY_FIX32, Fix32Item(IntToFix32(dpi))));
}

CapResult AnswerSupportedCaps(pTW_CAPABILITY cap, TW_UINT16);

// Every triplet's data argument type: data group in the high half.
const TW_UINT32 kSupportedDats[] = {
    DG_CONTROL << 16 | DAT_CAPABILITY,   DG_CONTROL << 16 | DAT_EVENT,         DG_CONTROL << 16 | DAT_IDENTITY,
    DG_CONTROL << 16 | DAT_PENDINGXFERS, DG_CONTROL << 16 | DAT_SETUPMEMXFER,  DG_CONTROL << 16 | DAT_SETUPFILEXFER,
    DG_CONTROL << 16 | DAT_STATUS,       DG_CONTROL << 16 | DAT_USERINTERFACE, DG_CONTROL << 16 | DAT_XFERGROUP,
    DG_CONTROL << 16 | DAT_ENTRYPOINT,   DG_IMAGE << 16 | DAT_IMAGEINFO,       DG_IMAGE << 16 | DAT_IMAGELAYOUT,
    DG_IMAGE << 16 | DAT_IMAGEMEMXFER,   DG_IMAGE << 16 | DAT_IMAGENATIVEXFER, DG_IMAGE << 16 | DAT_IMAGEFILEXFER,
    DG_IMAGE << 16 | DAT_EXTIMAGEINFO,
};

CapResult AnswerSupportedDats(pTW_CAPABILITY cap, TW_UINT16) {
    return Answered(BuildArray(cap, TWTY_UINT32, sizeof kSupportedDats / sizeof kSupportedDats[0], kSupportedDats));
}

// The enumerated capabilities answer as they always have.
CapResult AnswerListed(pTW_CAPABILITY cap, TW_UINT16 msg) { return FindEnumeratedCap(cap->Cap)->answer(cap, msg); }

struct Cap24 {
    TW_UINT16 id;
    TW_INT32 messages;  // TWQC bits
    bool needsFeeder;   // answered only by a scanner with a feeder
    CapAnswer answer;
};

const Cap24 kCaps[] = {
    {CAP_XFERCOUNT, kAll, false, AnswerXferCount},
    {ICAP_COMPRESSION, kAll, false, AnswerListed},
    {ICAP_PIXELTYPE, kAll, false, AnswerListed},
    {ICAP_UNITS, kAll, false, AnswerListed},
    {ICAP_XFERMECH, kAll, false, AnswerListed},
    {CAP_FEEDERENABLED, kAll, false, AnswerFeederEnabled},
    {CAP_FEEDERLOADED, kGets, true, AnswerFeederLoaded},
    {CAP_TIMEDATE, kGets, false, AnswerTimeDate},
    {CAP_SUPPORTEDCAPS, kGets, false, AnswerSupportedCaps},
    {CAP_AUTOFEED, kAll, true, AnswerAutoFeed},
    {CAP_INDICATORS, kAll, false, AnswerIndicators},
    {CAP_UICONTROLLABLE, kGets, false, AnswerUIControllable},
    {CAP_DEVICEONLINE, kGets, false, AnswerDeviceOnline},
    {CAP_ENABLEDSUIONLY, kGets, false, AnswerEnableDSUIOnly},
    {CAP_SUPPORTEDDATS, kGets, false, AnswerSupportedDats},
    {ICAP_AUTOBRIGHT, kAll, false, AnswerAutoBright},
    {ICAP_BRIGHTNESS, kAll, false, AnswerBrightness},
    {ICAP_CONTRAST, kAll, false, AnswerContrast},
    {ICAP_IMAGEFILEFORMAT, kAll, false, AnswerListed},
    {ICAP_PHYSICALWIDTH, kGets, false, AnswerPhysicalSize},
    {ICAP_PHYSICALHEIGHT, kGets, false, AnswerPhysicalSize},
    {ICAP_XNATIVERESOLUTION, kGets, false, AnswerNativeResolution},
    {ICAP_YNATIVERESOLUTION, kGets, false, AnswerNativeResolution},
    {ICAP_XRESOLUTION, kAll, false, AnswerListed},
    {ICAP_YRESOLUTION, kAll, false, AnswerListed},
    {ICAP_BITORDER, kAll, false, AnswerListed},
    {ICAP_LIGHTPATH, kAll, false, AnswerListed},
    {ICAP_PIXELFLAVOR, kAll, false, AnswerListed},
    {ICAP_PLANARCHUNKY, kAll, false, AnswerListed},
    {ICAP_SUPPORTEDSIZES, kAll, false, AnswerListed},
    {ICAP_XSCALING, kAll, false, AnswerScaling},
    {ICAP_YSCALING, kAll, false, AnswerScaling},
    {ICAP_JPEGPIXELTYPE, kAll, false, AnswerListed},
    {ICAP_BITDEPTH, kAll, false, AnswerBitDepth},
};
const size_t kCapCount = sizeof kCaps / sizeof kCaps[0];

// The messages a capability answers now; 0 when it is not supported.
TW_INT32 Messages(const Cap24 &entry) { return entry.needsFeeder && !FeederPresent() ? 0 : entry.messages; }

const Cap24 *FindCap24(TW_UINT16 id) {
    for (const Cap24 &entry : kCaps)
        if (entry.id == id && Messages(entry) != 0) return &entry;
    return nullptr;
}

CapResult AnswerSupportedCaps(pTW_CAPABILITY cap, TW_UINT16) {
    TW_UINT16 ids[kCapCount];
    TW_UINT32 count = 0;
    for (const Cap24 &entry : kCaps)
        if (Messages(entry) != 0) ids[count++] = entry.id;
    return Answered(BuildArray(cap, TWTY_UINT16, count, ids));
}

}  // namespace

CapResult AnswerCapability24(pTW_CAPABILITY cap, TW_UINT16 msg) {
    if (msg == MSG_RESETALL) {
        ResetCurrentValues();
        return Accepted();
    }
    if (!MessageBit(msg) && msg != MSG_QUERYSUPPORT) return Refuse(TWCC_BADPROTOCOL);
    if (!cap) return Refuse(TWCC_BADVALUE);
    const Cap24 *entry = FindCap24(cap->Cap);
    if (!entry) return Refuse(TWCC_BADCAP);
    TW_INT32 messages = Messages(*entry);
    if (msg == MSG_QUERYSUPPORT) return Answered(BuildOneValue(cap, TWTY_INT32, (TW_UINT32)messages));
    if (!(messages & MessageBit(msg))) return Refuse(TWCC_CAPBADOPERATION);
    if (msg == MSG_SET && !ReadSetValue(cap)) return Refuse(TWCC_BADVALUE);
    return entry->answer(cap, msg);
}
