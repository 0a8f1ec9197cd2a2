#include "sim_config.h"

#include <string.h>

#include "win32.h"

SimConfig gSimConfig;

namespace {

const char kSection[] = "Simulator";

void ReadText(const char *ini, const char *key, char *out) {
    char value[SIM_TEXT_SIZE];
    GetPrivateProfileStringA(kSection, key, out, value, sizeof value, ini);
    value[sizeof value - 1] = '\0';
    strcpy(out, value);
}

int ReadInt(const char *ini, const char *key, int fallback) {
    return (int)GetPrivateProfileIntA(kSection, key, fallback, ini);
}

int Clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

SimPattern ParsePattern(const char *name, SimPattern fallback) {
    static const struct {
        const char *name;
        SimPattern pattern;
    } kPatterns[] = {
        {"ramp", SIM_PATTERN_RAMP},
        {"bars", SIM_PATTERN_BARS},
        {"white", SIM_PATTERN_WHITE},
        {"black", SIM_PATTERN_BLACK},
    };
    for (const auto &entry : kPatterns) {
        if (strcmp(name, entry.name) == 0) return entry.pattern;
    }
    return fallback;
}

TW_UINT16 ParsePixelType(int value, TW_UINT16 fallback) {
    return value == TWPT_BW || value == TWPT_GRAY || value == TWPT_RGB ? (TW_UINT16)value : fallback;
}

// The glass size: inches (WidthInches) win over pixels at the default
// resolution (Width).
int32_t ReadBedMils(const char *ini, const char *inchKey, const char *pixelKey, int32_t fallback,
                    TW_UINT16 resolution) {
    char text[32];
    GetPrivateProfileStringA(kSection, inchKey, "", text, sizeof text, ini);
    int32_t mils;
    if (SimParseMils(text, &mils)) return mils;
    int pixels = ReadInt(ini, pixelKey, 0);
    if (pixels <= 0) return fallback;
    return (int32_t)((int64_t)pixels * 1000 / resolution);
}

}  // namespace

void SimDefaultConfig(SimConfig *config) {
    memset(config, 0, sizeof *config);
    strcpy(config->productName, "QR Simulated Flatbed");
    strcpy(config->manufacturer, "QR Imaging");
    strcpy(config->productFamily, "QR Simulator");
    strcpy(config->versionInfo, "Simulator 1.0");
    config->majorVersion = 1;
    config->minorVersion = 0;
    config->connects = true;
    config->pagesPerJob = 1;
    config->resolution = 300;
    config->maxResolution = 1200;
    config->pixelType = TWPT_RGB;
    config->grayBits = 8;
    config->bedWidthMils = 8500;
    config->bedHeightMils = 11000;
    config->blockKB = 32;
    config->pattern = SIM_PATTERN_RAMP;
    config->reflective = 1;
    config->pixelFlavor = TWPF_CHOCOLATE;
    config->supportedSize = TWSS_NONE;
    config->jpegPixelType = TWPT_RGB;
}

void SimReadConfig(const char *ini, SimConfig *config) {
    SimDefaultConfig(config);
    if (!ini || !*ini) return;
    ReadText(ini, "ProductName", config->productName);
    ReadText(ini, "Manufacturer", config->manufacturer);
    ReadText(ini, "ProductFamily", config->productFamily);
    ReadText(ini, "VersionInfo", config->versionInfo);
    config->majorVersion = (TW_UINT16)Clamp(ReadInt(ini, "MajorVersion", 1), 0, 0xFFFF);
    config->minorVersion = (TW_UINT16)Clamp(ReadInt(ini, "MinorVersion", 0), 0, 0xFFFF);
    config->connects = ReadInt(ini, "Connect", 1) != 0;
    config->feederPresent = ReadInt(ini, "FeederPresent", 0) != 0;
    config->feederEnabled = config->feederPresent && ReadInt(ini, "FeederEnabled", 0) != 0;
    config->feederLoaded = config->feederPresent && ReadInt(ini, "FeederLoaded", 0) != 0;
    config->pagesPerJob = Clamp(ReadInt(ini, "Pages", 1), 1, 9999);
    config->maxResolution = (TW_UINT16)Clamp(ReadInt(ini, "MaxResolution", 1200), 36, 9600);
    config->resolution = (TW_UINT16)Clamp(ReadInt(ini, "Resolution", 300), 36, config->maxResolution);
    config->pixelType = ParsePixelType(ReadInt(ini, "PixelType", TWPT_RGB), TWPT_RGB);
    config->grayBits = ReadInt(ini, "GrayBits", 8) == 4 ? 4 : 8;
    config->bedWidthMils = ReadBedMils(ini, "WidthInches", "Width", 8500, config->resolution);
    config->bedHeightMils = ReadBedMils(ini, "HeightInches", "Height", 11000, config->resolution);
    config->blockKB = (TW_UINT32)Clamp(ReadInt(ini, "BlockKB", 32), 1, 0xFFFF);
    char pattern[16];
    GetPrivateProfileStringA(kSection, "Pattern", "ramp", pattern, sizeof pattern, ini);
    config->pattern = ParsePattern(pattern, SIM_PATTERN_RAMP);
    config->unknownLength = ReadInt(ini, "UnknownLength", 0) != 0;
    config->opticalResolution = (TW_UINT16)Clamp(ReadInt(ini, "OpticalResolution", 0), 0, 9600);
    config->cancelAtBlock = Clamp(ReadInt(ini, "CancelAtBlock", 0), 0, 1 << 30);
    config->failAtBlock = Clamp(ReadInt(ini, "FailAtBlock", 0), 0, 1 << 30);
    config->autoBright = ReadInt(ini, "AutoBright", 0) != 0;
    config->reflective = ReadInt(ini, "Reflective", 1) != 0;
    config->pixelFlavor = ReadInt(ini, "PixelFlavor", TWPF_CHOCOLATE) ? TWPF_VANILLA : TWPF_CHOCOLATE;
    config->supportedSize = (TW_UINT16)Clamp(ReadInt(ini, "SupportedSize", TWSS_NONE), 0, 0xFFFF);
    config->jpegPixelType = ParsePixelType(ReadInt(ini, "JpegPixelType", TWPT_RGB), TWPT_RGB);
}

bool SimParseMils(const char *text, int32_t *mils) {
    int64_t whole = 0;
    int digits = 0;
    const char *p = text;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
        whole = whole * 10 + (*p - '0');
        if (whole > 1000) return false;  // no glass is that wide
    }
    int64_t fraction = 0, scale = 1000;
    if (*p == '.') {
        for (++p; *p >= '0' && *p <= '9'; ++p, ++digits) {
            if (scale > 1) {
                scale /= 10;
                fraction += (*p - '0') * scale;
            }
        }
    }
    int64_t value = whole * 1000 + fraction;
    if (*p != '\0' || digits == 0 || value <= 0) return false;
    *mils = (int32_t)value;
    return true;
}
