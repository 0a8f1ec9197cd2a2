#include "twain_names.h"

#include <ctype.h>
#include <stdio.h>

#include "twain.h"

namespace {

struct NameEntry {
    uint32_t value;
    const char *name;
};

#define QR_NAME(x) \
    { x, #x }

const NameEntry kDGNames[] = {
    QR_NAME(DG_CONTROL),
    QR_NAME(DG_IMAGE),
    QR_NAME(DG_AUDIO),
};

const NameEntry kDATNames[] = {
    QR_NAME(DAT_NULL),          QR_NAME(DAT_CAPABILITY),      QR_NAME(DAT_EVENT),
    QR_NAME(DAT_IDENTITY),      QR_NAME(DAT_PARENT),          QR_NAME(DAT_PENDINGXFERS),
    QR_NAME(DAT_SETUPMEMXFER),  QR_NAME(DAT_SETUPFILEXFER),   QR_NAME(DAT_STATUS),
    QR_NAME(DAT_USERINTERFACE), QR_NAME(DAT_XFERGROUP),       QR_NAME(DAT_TWUNKIDENTITY),
    QR_NAME(DAT_CUSTOMDSDATA),  QR_NAME(DAT_DEVICEEVENT),     QR_NAME(DAT_FILESYSTEM),
    QR_NAME(DAT_PASSTHRU),      QR_NAME(DAT_CALLBACK),        QR_NAME(DAT_IMAGEINFO),
    QR_NAME(DAT_IMAGELAYOUT),   QR_NAME(DAT_IMAGEMEMXFER),    QR_NAME(DAT_IMAGENATIVEXFER),
    QR_NAME(DAT_IMAGEFILEXFER), QR_NAME(DAT_CIECOLOR),        QR_NAME(DAT_GRAYRESPONSE),
    QR_NAME(DAT_RGBRESPONSE),   QR_NAME(DAT_JPEGCOMPRESSION), QR_NAME(DAT_PALETTE8),
    QR_NAME(DAT_EXTIMAGEINFO),  QR_NAME(DAT_ENTRYPOINT),
};

const NameEntry kMSGNames[] = {
    QR_NAME(MSG_NULL),
    QR_NAME(MSG_GET),
    QR_NAME(MSG_GETCURRENT),
    QR_NAME(MSG_GETDEFAULT),
    QR_NAME(MSG_GETFIRST),
    QR_NAME(MSG_GETNEXT),
    QR_NAME(MSG_SET),
    QR_NAME(MSG_RESET),
    QR_NAME(MSG_QUERYSUPPORT),
    QR_NAME(MSG_RESETALL),
    QR_NAME(MSG_XFERREADY),
    QR_NAME(MSG_CLOSEDSREQ),
    QR_NAME(MSG_CLOSEDSOK),
    QR_NAME(MSG_DEVICEEVENT),
    QR_NAME(MSG_CHECKSTATUS),
    QR_NAME(MSG_OPENDSM),
    QR_NAME(MSG_CLOSEDSM),
    QR_NAME(MSG_OPENDS),
    QR_NAME(MSG_CLOSEDS),
    QR_NAME(MSG_USERSELECT),
    QR_NAME(MSG_DISABLEDS),
    QR_NAME(MSG_ENABLEDS),
    QR_NAME(MSG_ENABLEDSUIONLY),
    QR_NAME(MSG_PROCESSEVENT),
    QR_NAME(MSG_ENDXFER),
    QR_NAME(MSG_STOPFEEDER),
    QR_NAME(MSG_REGISTER_CALLBACK),
};

const NameEntry kRCNames[] = {
    QR_NAME(TWRC_SUCCESS),          QR_NAME(TWRC_FAILURE),          QR_NAME(TWRC_CHECKSTATUS), QR_NAME(TWRC_CANCEL),
    QR_NAME(TWRC_DSEVENT),          QR_NAME(TWRC_NOTDSEVENT),       QR_NAME(TWRC_XFERDONE),    QR_NAME(TWRC_ENDOFLIST),
    QR_NAME(TWRC_INFONOTSUPPORTED), QR_NAME(TWRC_DATANOTAVAILABLE),
};

struct CCEntry {
    uint16_t value;
    const char *name;
    const char *text;
};

const CCEntry kCCNames[] = {
    {TWCC_SUCCESS, "TWCC_SUCCESS", "no error"},
    {TWCC_BUMMER, "TWCC_BUMMER", "failure for an unknown reason"},
    {TWCC_LOWMEMORY, "TWCC_LOWMEMORY", "not enough memory to perform the operation"},
    {TWCC_NODS, "TWCC_NODS", "no data source found"},
    {TWCC_MAXCONNECTIONS, "TWCC_MAXCONNECTIONS", "the data source is connected to its maximum number of applications"},
    {TWCC_OPERATIONERROR, "TWCC_OPERATIONERROR", "the data source or manager reported an error to the user"},
    {TWCC_BADCAP, "TWCC_BADCAP", "unknown capability"},
    {TWCC_BADPROTOCOL, "TWCC_BADPROTOCOL", "operation not supported"},
    {TWCC_BADVALUE, "TWCC_BADVALUE", "a value is out of range"},
    {TWCC_SEQERROR, "TWCC_SEQERROR", "operation not allowed in the current state"},
    {TWCC_BADDEST, "TWCC_BADDEST", "unknown destination"},
    {TWCC_CAPUNSUPPORTED, "TWCC_CAPUNSUPPORTED", "capability not supported"},
    {TWCC_CAPBADOPERATION, "TWCC_CAPBADOPERATION", "operation not supported by the capability"},
    {TWCC_CAPSEQERROR, "TWCC_CAPSEQERROR", "capability depends on another capability"},
};

const NameEntry kCapNames[] = {
    QR_NAME(CAP_XFERCOUNT),
    QR_NAME(ICAP_COMPRESSION),
    QR_NAME(ICAP_PIXELTYPE),
    QR_NAME(ICAP_UNITS),
    QR_NAME(ICAP_XFERMECH),
    QR_NAME(CAP_AUTHOR),
    QR_NAME(CAP_CAPTION),
    QR_NAME(CAP_FEEDERENABLED),
    QR_NAME(CAP_FEEDERLOADED),
    QR_NAME(CAP_TIMEDATE),
    QR_NAME(CAP_SUPPORTEDCAPS),
    QR_NAME(CAP_EXTENDEDCAPS),
    QR_NAME(CAP_AUTOFEED),
    QR_NAME(CAP_CLEARPAGE),
    QR_NAME(CAP_FEEDPAGE),
    QR_NAME(CAP_REWINDPAGE),
    QR_NAME(CAP_INDICATORS),
    QR_NAME(CAP_UICONTROLLABLE),
    QR_NAME(CAP_DEVICEONLINE),
    QR_NAME(CAP_ENABLEDSUIONLY),
    QR_NAME(CAP_SUPPORTEDDATS),
    QR_NAME(ICAP_AUTOBRIGHT),
    QR_NAME(ICAP_BRIGHTNESS),
    QR_NAME(ICAP_CONTRAST),
    QR_NAME(ICAP_CUSTHALFTONE),
    QR_NAME(ICAP_EXPOSURETIME),
    QR_NAME(ICAP_FILTER),
    QR_NAME(ICAP_FLASHUSED),
    QR_NAME(ICAP_GAMMA),
    QR_NAME(ICAP_HALFTONES),
    QR_NAME(ICAP_HIGHLIGHT),
    QR_NAME(ICAP_IMAGEFILEFORMAT),
    QR_NAME(ICAP_LAMPSTATE),
    QR_NAME(ICAP_LIGHTSOURCE),
    QR_NAME(ICAP_ORIENTATION),
    QR_NAME(ICAP_PHYSICALWIDTH),
    QR_NAME(ICAP_PHYSICALHEIGHT),
    QR_NAME(ICAP_SHADOW),
    QR_NAME(ICAP_FRAMES),
    QR_NAME(ICAP_XNATIVERESOLUTION),
    QR_NAME(ICAP_YNATIVERESOLUTION),
    QR_NAME(ICAP_XRESOLUTION),
    QR_NAME(ICAP_YRESOLUTION),
    QR_NAME(ICAP_MAXFRAMES),
    QR_NAME(ICAP_TILES),
    QR_NAME(ICAP_BITORDER),
    QR_NAME(ICAP_CCITTKFACTOR),
    QR_NAME(ICAP_LIGHTPATH),
    QR_NAME(ICAP_PIXELFLAVOR),
    QR_NAME(ICAP_PLANARCHUNKY),
    QR_NAME(ICAP_ROTATION),
    QR_NAME(ICAP_SUPPORTEDSIZES),
    QR_NAME(ICAP_THRESHOLD),
    QR_NAME(ICAP_XSCALING),
    QR_NAME(ICAP_YSCALING),
    QR_NAME(ICAP_BITORDERCODES),
    QR_NAME(ICAP_PIXELFLAVORCODES),
    QR_NAME(ICAP_JPEGPIXELTYPE),
    QR_NAME(ICAP_TIMEFILL),
    QR_NAME(ICAP_BITDEPTH),
    QR_NAME(ICAP_BITDEPTHREDUCTION),
};

#undef QR_NAME

template <size_t N>
const char *FindName(const NameEntry (&table)[N], uint32_t value, char *unknown, size_t size, const char *prefix) {
    for (const NameEntry &entry : table) {
        if (entry.value == value) return entry.name;
    }
    snprintf(unknown, size, "%s0x%04x", prefix, (unsigned)value);
    return unknown;
}

}  // namespace

const char *TwainDGName(uint32_t dg) {
    static char unknown[24];
    return FindName(kDGNames, dg, unknown, sizeof unknown, "DG_");
}

const char *TwainDATName(uint16_t dat) {
    static char unknown[24];
    return FindName(kDATNames, dat, unknown, sizeof unknown, "DAT_");
}

const char *TwainMSGName(uint16_t msg) {
    static char unknown[24];
    return FindName(kMSGNames, msg, unknown, sizeof unknown, "MSG_");
}

const char *TwainRCName(uint16_t rc) {
    static char unknown[24];
    return FindName(kRCNames, rc, unknown, sizeof unknown, "TWRC_");
}

const char *TwainCapName(uint16_t cap) {
    static char unknown[24];
    return FindName(kCapNames, cap, unknown, sizeof unknown, "CAP_");
}

size_t TwainCapCount(void) { return sizeof kCapNames / sizeof kCapNames[0]; }

uint16_t TwainCapAt(size_t index) { return index < TwainCapCount() ? (uint16_t)kCapNames[index].value : 0; }

bool TwainCapByName(const char *name, uint16_t *cap) {
    for (const NameEntry &entry : kCapNames) {
        const char *a = entry.name, *b = name;
        while (*a && toupper((unsigned char)*a) == toupper((unsigned char)*b)) ++a, ++b;
        if (*a == '\0' && *b == '\0') {
            *cap = (uint16_t)entry.value;
            return true;
        }
    }
    return false;
}

const char *TwainCCName(uint16_t cc) {
    for (const CCEntry &entry : kCCNames) {
        if (entry.value == cc) return entry.name;
    }
    static char unknown[24];
    snprintf(unknown, sizeof unknown, "TWCC_0x%04x", (unsigned)cc);
    return unknown;
}

const char *TwainCCText(uint16_t cc) {
    for (const CCEntry &entry : kCCNames) {
        if (entry.value == cc) return entry.text;
    }
    return "unknown condition";
}
