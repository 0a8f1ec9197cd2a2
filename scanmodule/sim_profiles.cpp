#include "sim_profiles.h"

#include <ctype.h>

namespace {

bool SameText(const char *a, const char *b) {
    for (; *a && *b; ++a, ++b) {
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b)) return false;
    }
    return *a == *b;
}

// ISO A4 is 210 x 297 mm: 8.27 x 11.69 inches.
const SimProfileValue kA4Colour300[] = {
    {"WidthInches", "8.27"},
    {"HeightInches", "11.69"},
    {"Resolution", "300"},
    {"PixelType", "2"},
};

const SimProfileValue kLineArt1200[] = {
    {"WidthInches", "8.5"},    {"HeightInches", "11"}, {"Resolution", "1200"},
    {"MaxResolution", "1200"}, {"PixelType", "0"},
};

const SimProfileValue kFeederJob[] = {
    {"FeederPresent", "1"}, {"FeederEnabled", "1"}, {"FeederLoaded", "1"}, {"Pages", "5"},
    {"WidthInches", "8.5"}, {"HeightInches", "11"}, {"Resolution", "200"}, {"PixelType", "1"},
};

// A scanner that cannot tell the length before it scans, with a 300 dpi
// sensor: the 600 dpi the session starts at is enlarged by the data source.
const SimProfileValue kOpenLength600[] = {
    {"UnknownLength", "1"},
    {"OpticalResolution", "300"},
    {"Resolution", "600"},
    {"BlockKB", "64"},
};

const SimProfileValue kFileDelivery[] = {
    {"FileMode", "1"},
};

#define QR_PROFILE(name, description, values) \
    { name, description, values, sizeof values / sizeof values[0] }

const SimProfile kProfiles[] = {
    QR_PROFILE("a4-color-300", "a 300 dpi A4 colour page", kA4Colour300),
    QR_PROFILE("lineart-1200", "a 1200 dpi letter line-art page", kLineArt1200),
    QR_PROFILE("feeder-job", "five 200 dpi grey letter pages from the document feeder", kFeederJob),
    QR_PROFILE("open-length-600", "a page of unknown length scanned at 300 dpi and enlarged to 600", kOpenLength600),
    QR_PROFILE("file-delivery", "memory transfers of known length delivered through a file", kFileDelivery),
};

#undef QR_PROFILE

}  // namespace

const SimProfile *SimFindProfile(const char *name) {
    if (!name) return nullptr;
    for (const SimProfile &profile : kProfiles) {
        if (SameText(profile.name, name)) return &profile;
    }
    return nullptr;
}

const char *SimProfileText(const SimProfile *profile, const char *key) {
    if (!profile) return nullptr;
    for (int i = 0; i < profile->count; ++i) {
        if (SameText(profile->values[i].key, key)) return profile->values[i].value;
    }
    return nullptr;
}
