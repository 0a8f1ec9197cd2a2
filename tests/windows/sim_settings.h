// The simulated scanner's settings: the [Simulator] section of QRVM.INI
// beside the installed data source, which the scanner reads again at every
// MSG_OPENDS.
#ifndef QR_TESTS_WINDOWS_SIM_SETTINGS_H
#define QR_TESTS_WINDOWS_SIM_SETTINGS_H

#include <string>

// The folder the Source Manager takes sources from, with its backslash.
std::string SourceFolder();

class SimulatorSettings {
public:
    // A small colour page (1 x 0.5 inches at 300 dpi: 300 x 150 pixels) of
    // the ramp pattern, of known length, one page per scan.
    void Reset();
    void Set(const char *key, const char *value);
    void Set(const char *key, int value);
};

#endif
