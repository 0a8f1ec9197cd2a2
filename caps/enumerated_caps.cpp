// The enumerated capabilities: each has an item list, and a current and a
// default value kept either as the TWAIN value or as a position in its list.
#include "cap_handlers.h"

#include "startup/protocol.h"

static const TW_UINT16 CompressionList[] = {TWCP_NONE};
static const TW_UINT16 PixelTypeList[] = {TWPT_BW, TWPT_GRAY, TWPT_RGB};
static const TW_UINT16 UnitsList[] = {TWUN_INCHES, TWUN_CENTIMETERS};
static const TW_UINT16 XferMechList[] = {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY};
static const TW_UINT16 LightPathList[] = {TWLP_REFLECTIVE, TWLP_TRANSMISSIVE};
static const TW_UINT16 PixelFlavorList[] = {TWPF_CHOCOLATE, TWPF_VANILLA};
static const TW_UINT16 PlanarChunkyList[] = {TWPC_CHUNKY};
static const TW_UINT16 SupportedSizesList[] = {TWSS_NONE, TWSS_A4LETTER, TWSS_USLETTER, TWSS_USLEGAL, TWSS_A5};
static const TW_UINT16 JpegPixelTypeList[] = {TWPT_BW, TWPT_GRAY, TWPT_RGB};
static const TW_UINT16 BitOrderList[] = {TWBO_LSBFIRST, TWBO_MSBFIRST};

#define LIST(list) {TWTY_UINT16, sizeof list / sizeof list[0], 0, 0}, list
#define RESOLUTIONS {TWTY_FIX32, RESOLUTION_COUNT, 0, 0}, ResolutionList
static const TW_UINT16 kLastSupportedSize = TWSS_A5;

enum StoredAs { AS_VALUE, AS_POSITION };

struct EnumeratedCap {
    TW_UINT16 id;
    EnumDescriptor descriptor;
    const void *list;
    TW_UINT16 *current;
    TW_UINT16 *fallback;  // the default
    StoredAs currentForm;
    StoredAs defaultForm;
};

static EnumeratedCap kEnumeratedCaps[] = {
    {ICAP_COMPRESSION, LIST(CompressionList), &gCompression, &gCompressionDefault, AS_VALUE, AS_VALUE},
    {ICAP_PIXELTYPE, LIST(PixelTypeList), &gPixelType, &gPixelTypeDefault, AS_VALUE, AS_VALUE},
    {ICAP_UNITS, LIST(UnitsList), &gUnits, &gUnitsDefault, AS_VALUE, AS_VALUE},
    {ICAP_XFERMECH, LIST(XferMechList), &gXferMech, &gXferMechDefault, AS_VALUE, AS_VALUE},
    {ICAP_IMAGEFILEFORMAT, LIST(FileFormatList), &gFileFormat, &gFileFormatDefault, AS_VALUE, AS_POSITION},
    {ICAP_XRESOLUTION, RESOLUTIONS, &gResolution, &gResolutionDefault, AS_POSITION, AS_POSITION},
    {ICAP_YRESOLUTION, RESOLUTIONS, &gResolution, &gResolutionDefault, AS_POSITION, AS_POSITION},
    {ICAP_BITORDER, LIST(BitOrderList), &gBitOrder, &gBitOrderDefault, AS_VALUE, AS_VALUE},
    {ICAP_LIGHTPATH, LIST(LightPathList), &gLightPath, &gLightPathDefault, AS_VALUE, AS_VALUE},
    {ICAP_PIXELFLAVOR, LIST(PixelFlavorList), &gPixelFlavor, &gPixelFlavorDefault, AS_VALUE, AS_VALUE},
    {ICAP_PLANARCHUNKY, LIST(PlanarChunkyList), &gPlanarChunky, &gPlanarChunkyDefault, AS_VALUE, AS_VALUE},
    {ICAP_SUPPORTEDSIZES, LIST(SupportedSizesList), &gSupportedSize, &gSupportedSizeDefault, AS_VALUE, AS_VALUE},
    {ICAP_JPEGPIXELTYPE, LIST(JpegPixelTypeList), &gJpegPixelType, &gJpegPixelTypeDefault, AS_VALUE, AS_VALUE},
};

static bool IsResolution(const EnumeratedCap &cap) { return cap.descriptor.ItemType == TWTY_FIX32; }

static TW_UINT32 ListItem(const EnumeratedCap &cap, TW_UINT32 position) {
    if (IsResolution(cap)) return Fix32Item(static_cast<const TW_FIX32 *>(cap.list)[position]);
    return static_cast<const TW_UINT16 *>(cap.list)[position];
}

// Position of a TWAIN value in the list, or -1.
static long PositionOfValue(const EnumeratedCap &cap, TW_UINT16 value) {
    for (TW_UINT32 i = 0; i < cap.descriptor.NumItems; ++i)
        if ((TW_UINT16)ListItem(cap, i) == value) return (long)i;
    return -1;
}

static long PositionOf(const EnumeratedCap &cap, TW_UINT16 stored, StoredAs form) {
    if (form == AS_POSITION) return stored < cap.descriptor.NumItems ? stored : -1;
    return PositionOfValue(cap, stored);
}

// The value a store entry stands for. A value the scan module or a file
// set-up put there without a list entry is reported as it is.
static TW_UINT32 ValueOf(const EnumeratedCap &cap, TW_UINT16 stored, StoredAs form) {
    long position = PositionOf(cap, stored, form);
    if (position >= 0) return ListItem(cap, (TW_UINT32)position);
    return IsResolution(cap) ? Fix32Item(IntToFix32(ResolutionDpi(stored))) : stored;
}

static CapResult AnswerOne(pTW_CAPABILITY cap, const EnumeratedCap &e, TW_UINT16 stored, StoredAs form) {
    return Answered(BuildOneValue(cap, e.descriptor.ItemType, ValueOf(e, stored, form)));
}

// An index that has no list entry is shown as the first item: the
// application must never be handed an index beyond the list.
static TW_UINT32 IndexForList(long position) { return position >= 0 ? (TW_UINT32)position : 0; }

static CapResult AnswerEnumeration(pTW_CAPABILITY cap, EnumeratedCap &e) {
    e.descriptor.CurrentIndex = IndexForList(PositionOf(e, *e.current, e.currentForm));
    e.descriptor.DefaultIndex = IndexForList(PositionOf(e, *e.fallback, e.defaultForm));
    return Answered(BuildEnumeration(cap, &e.descriptor, e.list));
}

static void ResetToDefault(const EnumeratedCap &e) {
    if (e.currentForm == e.defaultForm)
        *e.current = *e.fallback;
    else
        *e.current = (TW_UINT16)ValueOf(e, *e.fallback, e.defaultForm);
}

// Stores v, the application's choice. Only list entries are taken; sizes
// beyond the last one the source knows become A4, as the source always did.
static CapResult SetFromValue(EnumeratedCap &e, TW_UINT16 v) {
    if (e.id == ICAP_SUPPORTEDSIZES && v > kLastSupportedSize) v = TWSS_A4LETTER;
    if (e.id == ICAP_LIGHTPATH && v == TWLP_TRANSMISSIVE && gLightPathDefault != TWLP_TRANSMISSIVE)
        return Refuse(TWCC_BADVALUE);
    long position = IsResolution(e) ? FindResolution((TW_INT16)v) : PositionOfValue(e, v);
    if (position < 0) return Refuse(TWCC_BADVALUE);
    *e.current = e.currentForm == AS_POSITION ? (TW_UINT16)position : v;
    return Accepted();
}

static CapResult AnswerEnumerated(pTW_CAPABILITY cap, TW_UINT16 msg) {
    EnumeratedCap *found = nullptr;
    for (EnumeratedCap &e : kEnumeratedCaps)
        if (e.id == cap->Cap) found = &e;
    if (!found) return Refuse(TWCC_BADPROTOCOL);
    EnumeratedCap &e = *found;

    // A 1.5 source derives the default light path only when asked for it;
    // a 2.4 source has derived it with the scanner's defaults.
    if (e.id == ICAP_LIGHTPATH && msg != MSG_GETCURRENT && msg != MSG_SET && !SpeaksTwain24()) DeriveLightPathDefault();
    switch (msg) {
    case MSG_GET:
        // A TWAIN 1.5 source has only ever answered the pixel flavor item by
        // item.
        if (e.id == ICAP_PIXELFLAVOR && !SpeaksTwain24()) return AnswerOne(cap, e, *e.current, e.currentForm);
        return AnswerEnumeration(cap, e);
    case MSG_GETCURRENT:
        return AnswerOne(cap, e, *e.current, e.currentForm);
    case MSG_RESET:
        ResetToDefault(e);
        return AnswerOne(cap, e, *e.fallback, e.defaultForm);
    case MSG_GETDEFAULT:
        return AnswerOne(cap, e, *e.fallback, e.defaultForm);
    default:  // MSG_SET
        return SetFromValue(e, SetValue16());
    }
}

static const CapEntry kEntry = {0, AnswerEnumerated};

const CapEntry *FindEnumeratedCap(TW_UINT16 id) {
    for (const EnumeratedCap &e : kEnumeratedCaps)
        if (e.id == id) return &kEntry;
    return nullptr;
}

void DeriveLightPathDefault() { gLightPathDefault = gReflectiveDefault == 0 ? TWLP_TRANSMISSIVE : TWLP_REFLECTIVE; }
