#include "sim_settings.h"

#include "win32.h"

std::string SourceFolder() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + (sizeof(void *) == 8 ? "\\twain_64\\" : "\\twain_32\\");
}

static std::string IniPath() { return SourceFolder() + "QRVM.INI"; }

void SimulatorSettings::Set(const char *key, const char *value) {
    WritePrivateProfileStringA("Simulator", key, value, IniPath().c_str());
}

void SimulatorSettings::Set(const char *key, int value) { Set(key, std::to_string(value).c_str()); }

void SimulatorSettings::Reset() {
    static const struct {
        const char *key, *value;
    } defaults[] = {
        {"Connect", "1"},     {"Pages", "1"},         {"Resolution", "300"},      {"PixelType", "2"},
        {"GrayBits", "8"},    {"WidthInches", "1"},   {"HeightInches", "0.5"},    {"BlockKB", "32"},
        {"Pattern", "ramp"},  {"UnknownLength", "0"}, {"OpticalResolution", "0"}, {"CancelAtBlock", "0"},
        {"FailAtBlock", "0"}, {"FeederPresent", "0"}, {"FileMode", "0"},          {"FaultPage", "0"},
    };
    WritePrivateProfileStringA("Scanner", "ScanDll", "qvsmod.dll", IniPath().c_str());
    for (const auto &entry : defaults) Set(entry.key, entry.value);
    for (const char *key : {"Profile", "FileFault"})
        WritePrivateProfileStringA("Simulator", key, nullptr, IniPath().c_str());
}
