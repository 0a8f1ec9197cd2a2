// The module's application object (the class library's dialogs find the
// module's resources through it) and its own location.
#include "sim_module.h"

#include <string.h>

#include "afx.h"

namespace {

class SimApp : public CWinApp {
public:
    SimApp() : CWinApp("qvsmod") {}
};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

QR_DLL_APPLICATION(SimApp, theSimApp)

bool SimIniPath(char *out, size_t size) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCSTR)&SimIniPath, &self))
        return false;
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(self, path, sizeof path);
    if (length == 0 || length >= sizeof path) return false;
    size_t cut = length;
    while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
    static const char kIni[] = "QRVM.INI";
    if (cut + sizeof kIni > size) return false;
    memcpy(out, path, cut);
    memcpy(out + cut, kIni, sizeof kIni);
    return true;
}
