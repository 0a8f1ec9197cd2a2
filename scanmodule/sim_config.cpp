#include "sim_config.h"

#include <stdlib.h>
#include <string.h>

#include "sim_profiles.h"
#include "win32.h"

SimConfig gSimConfig;

namespace {

const char kSection[] = "Simulator";

// Where a value comes from: the file's own key first, then the profile it
// names, then the built-in default of the caller.
struct ConfigReader {
    const char *ini;
    const SimProfile *profile;
};

// The file's text for `key`; false when the key is absent or empty.
bool IniText(const ConfigReader &r, const char *key, char *out, size_t size) {
    GetPrivateProfileStringA(kSection, key, "", out, (DWORD)size, r.ini);
    out[size - 1] = '\0';
    return out[0] != '\0';
}

bool ProfileText(const ConfigReader &r, const char *key, char *out, size_t size) {
    const char *text = SimProfileText(r.profile, key);
    if (!text) return false;
    size_t kept = strnlen(text, size - 1);
    memcpy(out, text, kept);
    memset(out + kept, 0, size - kept);
    return true;
}

bool Text(const ConfigReader &r, const char *key, char *out, size_t size) {
    return IniText(r, key, out, size) || ProfileText(r, key, out, size);
}

// A leading decimal number, as GetPrivateProfileInt reads it.
bool ParseInt(const char *text, int *value) {
    char *end = nullptr;
    long number = strtol(text, &end, 10);
    if (end == text) return false;
    if (number > 1 << 30) number = 1 << 30;
    if (number < -(1 << 30)) number = -(1 << 30);
    *value = (int)number;
    return true;
}

int ReadInt(const ConfigReader &r, const char *key, int fallback) {
    char text[32];
    int value;
    return Text(r, key, text, sizeof text) && ParseInt(text, &value) ? value : fallback;
}

bool ReadFlag(const ConfigReader &r, const char *key, bool fallback) { return ReadInt(r, key, fallback) != 0; }

void ReadText(const ConfigReader &r, const char *key, char *out) {
    char value[SIM_TEXT_SIZE];
    if (Text(r, key, value, sizeof value)) strcpy(out, value);
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

bool SameWord(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b) {
        char ca = (*a >= 'A' && *a <= 'Z') ? (char)(*a - 'A' + 'a') : *a;
        if (ca != *b) return false;
    }
    return *a == *b;
}

SimPattern ReadPattern(const ConfigReader &r) {
    static const struct {
        const char *name;
        SimPattern pattern;
    } kPatterns[] = {
        {"ramp", SIM_PATTERN_RAMP},
        {"bars", SIM_PATTERN_BARS},
        {"white", SIM_PATTERN_WHITE},
        {"black", SIM_PATTERN_BLACK},
    };
    char name[16];
    if (!Text(r, "Pattern", name, sizeof name)) return SIM_PATTERN_RAMP;
    for (const auto &entry : kPatterns) {
        if (SameWord(name, entry.name)) return entry.pattern;
    }
    return SIM_PATTERN_RAMP;
}

SimFileFault ReadFileFault(const ConfigReader &r) {
    static const struct {
        const char *name;
        SimFileFault fault;
    } kFaults[] = {
        {"short", SIM_FILE_FAULT_SHORT},
        {"missing", SIM_FILE_FAULT_MISSING},
        {"nooffset", SIM_FILE_FAULT_NO_OFFSET},
        {"badcount", SIM_FILE_FAULT_BAD_COUNT},
    };
    char name[16];
    if (!Text(r, "FileFault", name, sizeof name)) return SIM_FILE_FAULT_NONE;
    for (const auto &entry : kFaults) {
        if (SameWord(name, entry.name)) return entry.fault;
    }
    return SIM_FILE_FAULT_NONE;
}

TW_UINT16 ParsePixelType(int value, TW_UINT16 fallback) {
    return value == TWPT_BW || value == TWPT_GRAY || value == TWPT_RGB ? (TW_UINT16)value : fallback;
}

// One level's size of the glass: inches (WidthInches) win over pixels at the
// default resolution (Width).
bool BedMilsFrom(bool (*source)(const ConfigReader &, const char *, char *, size_t), const ConfigReader &r,
                 const char *inchKey, const char *pixelKey, TW_UINT16 resolution, int32_t *mils) {
    char text[32];
    if (source(r, inchKey, text, sizeof text) && SimParseMils(text, mils)) return true;
    int pixels;
    if (!source(r, pixelKey, text, sizeof text) || !ParseInt(text, &pixels) || pixels <= 0) return false;
    *mils = (int32_t)((int64_t)pixels * 1000 / resolution);
    return true;
}

// The file's keys beat the profile's, whichever form each uses.
int32_t ReadBedMils(const ConfigReader &r, const char *inchKey, const char *pixelKey, int32_t fallback,
                    TW_UINT16 resolution) {
    int32_t mils;
    if (BedMilsFrom(IniText, r, inchKey, pixelKey, resolution, &mils)) return mils;
    if (BedMilsFrom(ProfileText, r, inchKey, pixelKey, resolution, &mils)) return mils;
    return fallback;
}

// On Linux nobody sees the dialog: there is no screen to show it on.
#if defined(_WIN32)
const bool kDialogUnseen = false;
#else
const bool kDialogUnseen = true;
#endif

void ReadIdentity(const ConfigReader &r, SimConfig *config) {
    ReadText(r, "ProductName", config->productName);
    ReadText(r, "Manufacturer", config->manufacturer);
    ReadText(r, "ProductFamily", config->productFamily);
    ReadText(r, "VersionInfo", config->versionInfo);
    config->majorVersion = (TW_UINT16)Clamp(ReadInt(r, "MajorVersion", 1), 0, 0xFFFF);
    config->minorVersion = (TW_UINT16)Clamp(ReadInt(r, "MinorVersion", 0), 0, 0xFFFF);
}

void ReadHardware(const ConfigReader &r, SimConfig *config) {
    config->connects = ReadFlag(r, "Connect", true);
    config->feederPresent = ReadFlag(r, "FeederPresent", false);
    config->feederEnabled = config->feederPresent && ReadFlag(r, "FeederEnabled", false);
    config->feederLoaded = config->feederPresent && ReadFlag(r, "FeederLoaded", false);
    config->feederRefill = config->feederLoaded && ReadFlag(r, "FeederRefill", false);
    config->pagesPerJob = Clamp(ReadInt(r, "Pages", 1), 1, 9999);
    config->maxResolution = (TW_UINT16)Clamp(ReadInt(r, "MaxResolution", 1200), 36, 9600);
    config->resolution = (TW_UINT16)Clamp(ReadInt(r, "Resolution", 300), 36, config->maxResolution);
    config->pixelType = ParsePixelType(ReadInt(r, "PixelType", TWPT_RGB), TWPT_RGB);
    config->grayBits = ReadInt(r, "GrayBits", 8) == 4 ? 4 : 8;
    config->bedWidthMils = ReadBedMils(r, "WidthInches", "Width", 8500, config->resolution);
    config->bedHeightMils = ReadBedMils(r, "HeightInches", "Height", 11000, config->resolution);
    config->autoScan = ReadFlag(r, "AutoScan", kDialogUnseen);
}

void ReadDelivery(const ConfigReader &r, SimConfig *config) {
    config->blockKB = (TW_UINT32)Clamp(ReadInt(r, "BlockKB", 32), 1, 0xFFFF);
    config->pattern = ReadPattern(r);
    config->unknownLength = ReadFlag(r, "UnknownLength", false);
    config->opticalResolution = (TW_UINT16)Clamp(ReadInt(r, "OpticalResolution", 0), 0, 9600);
    config->fileMode = ReadFlag(r, "FileMode", false);
    config->fileFault = ReadFileFault(r);
    config->cancelAtBlock = Clamp(ReadInt(r, "CancelAtBlock", 0), 0, 1 << 30);
    config->failAtBlock = Clamp(ReadInt(r, "FailAtBlock", 0), 0, 1 << 30);
    config->faultPage = Clamp(ReadInt(r, "FaultPage", 0), 0, 9999);
}

void ReadReported(const ConfigReader &r, SimConfig *config) {
    config->autoBright = ReadFlag(r, "AutoBright", false);
    config->reflective = ReadFlag(r, "Reflective", true);
    config->pixelFlavor = ReadInt(r, "PixelFlavor", TWPF_CHOCOLATE) ? TWPF_VANILLA : TWPF_CHOCOLATE;
    config->supportedSize = (TW_UINT16)Clamp(ReadInt(r, "SupportedSize", TWSS_NONE), 0, 0xFFFF);
    config->jpegPixelType = ParsePixelType(ReadInt(r, "JpegPixelType", TWPT_RGB), TWPT_RGB);
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
    config->autoScan = kDialogUnseen;
    config->pattern = SIM_PATTERN_RAMP;
    config->reflective = 1;
    config->pixelFlavor = TWPF_CHOCOLATE;
    config->supportedSize = TWSS_NONE;
    config->jpegPixelType = TWPT_RGB;
}

void SimReadConfig(const char *ini, SimConfig *config) {
    SimDefaultConfig(config);
    if (!ini || !*ini) return;
    ConfigReader reader = {ini, nullptr};
    IniText(reader, "Profile", config->profile, sizeof config->profile);
    reader.profile = SimFindProfile(config->profile);
    config->profileKnown = reader.profile != nullptr;
    ReadIdentity(reader, config);
    ReadHardware(reader, config);
    ReadDelivery(reader, config);
    ReadReported(reader, config);
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
