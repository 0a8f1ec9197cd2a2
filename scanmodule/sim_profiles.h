// Profiles: named sets of [Simulator] values ("Profile=a4-color-300"). A
// profile only changes the defaults; a key written in QRVM.INI still wins.
#ifndef QR_SIM_PROFILES_H
#define QR_SIM_PROFILES_H

struct SimProfileValue {
    const char *key;
    const char *value;
};

struct SimProfile {
    const char *name;
    const char *description;
    const SimProfileValue *values;
    int count;
};

// The profile called `name` (case-insensitive), or null.
const SimProfile *SimFindProfile(const char *name);
// The profile's value for `key` (case-insensitive), or null.
const char *SimProfileText(const SimProfile *profile, const char *key);

#endif
