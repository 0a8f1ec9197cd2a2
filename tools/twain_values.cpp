#include "twain_values.h"

#include <ctype.h>
#include <stddef.h>

#include "twain.h"

namespace {

struct ValueName {
    uint32_t value;
    const char *name;
};

#define QR_VALUE(x) \
    { x, #x }

const ValueName kPixelTypes[] = {QR_VALUE(TWPT_BW),      QR_VALUE(TWPT_GRAY), QR_VALUE(TWPT_RGB),
                                 QR_VALUE(TWPT_PALETTE), QR_VALUE(TWPT_CMY),  QR_VALUE(TWPT_CMYK)};
const ValueName kXferMechs[] = {QR_VALUE(TWSX_NATIVE), QR_VALUE(TWSX_FILE), QR_VALUE(TWSX_MEMORY)};
const ValueName kFileFormats[] = {QR_VALUE(TWFF_TIFF), QR_VALUE(TWFF_PICT), QR_VALUE(TWFF_BMP), QR_VALUE(TWFF_XBM),
                                  QR_VALUE(TWFF_JFIF)};
const ValueName kUnits[] = {QR_VALUE(TWUN_INCHES), QR_VALUE(TWUN_CENTIMETERS), QR_VALUE(TWUN_PICAS),
                            QR_VALUE(TWUN_POINTS), QR_VALUE(TWUN_TWIPS),       QR_VALUE(TWUN_PIXELS)};
const ValueName kCompressions[] = {QR_VALUE(TWCP_NONE), QR_VALUE(TWCP_PACKBITS), QR_VALUE(TWCP_GROUP31D),
                                   QR_VALUE(TWCP_GROUP4), QR_VALUE(TWCP_JPEG)};
const ValueName kLightPaths[] = {QR_VALUE(TWLP_REFLECTIVE), QR_VALUE(TWLP_TRANSMISSIVE)};
const ValueName kPixelFlavors[] = {QR_VALUE(TWPF_CHOCOLATE), QR_VALUE(TWPF_VANILLA)};
const ValueName kPlanarChunky[] = {QR_VALUE(TWPC_CHUNKY), QR_VALUE(TWPC_PLANAR)};
const ValueName kSizes[] = {QR_VALUE(TWSS_NONE),     QR_VALUE(TWSS_A4LETTER), QR_VALUE(TWSS_B5LETTER),
                            QR_VALUE(TWSS_USLETTER), QR_VALUE(TWSS_USLEGAL),  QR_VALUE(TWSS_A5)};
const ValueName kBitOrders[] = {QR_VALUE(TWBO_LSBFIRST), QR_VALUE(TWBO_MSBFIRST)};

#undef QR_VALUE

struct CapValues {
    uint16_t cap;
    const ValueName *names;
    size_t count;
};

#define QR_VALUES(cap, table) \
    { cap, table, sizeof table / sizeof table[0] }

const CapValues kCapValues[] = {
    QR_VALUES(ICAP_PIXELTYPE, kPixelTypes),
    QR_VALUES(ICAP_JPEGPIXELTYPE, kPixelTypes),
    QR_VALUES(ICAP_XFERMECH, kXferMechs),
    QR_VALUES(ICAP_IMAGEFILEFORMAT, kFileFormats),
    QR_VALUES(ICAP_UNITS, kUnits),
    QR_VALUES(ICAP_COMPRESSION, kCompressions),
    QR_VALUES(ICAP_LIGHTPATH, kLightPaths),
    QR_VALUES(ICAP_PIXELFLAVOR, kPixelFlavors),
    QR_VALUES(ICAP_PLANARCHUNKY, kPlanarChunky),
    QR_VALUES(ICAP_SUPPORTEDSIZES, kSizes),
    QR_VALUES(ICAP_BITORDER, kBitOrders),
};

#undef QR_VALUES

const CapValues *ValuesOf(uint16_t cap) {
    for (const CapValues &values : kCapValues) {
        if (values.cap == cap) return &values;
    }
    return nullptr;
}

bool SameName(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b) {
        if (toupper((unsigned char)*a) != toupper((unsigned char)*b)) return false;
    }
    return *a == *b;
}

}  // namespace

const char *TwainValueName(uint16_t cap, uint32_t value) {
    const CapValues *values = ValuesOf(cap);
    for (size_t i = 0; values && i < values->count; ++i) {
        if (values->names[i].value == value) return values->names[i].name;
    }
    return nullptr;
}

bool TwainValueByName(uint16_t cap, const char *name, uint32_t *value) {
    const CapValues *values = ValuesOf(cap);
    for (size_t i = 0; values && i < values->count; ++i) {
        if (SameName(values->names[i].name, name)) {
            *value = values->names[i].value;
            return true;
        }
    }
    return false;
}
