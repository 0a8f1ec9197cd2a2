// KernelTestPlugin.dll: depends on KernelTestModule.dll and defines no resource
// table of its own, so its resources and exports must not be found in that
// dependency. Like the data source, it loads a module while it is being
// loaded and frees it while it is being unloaded.
#include "win32.h"

extern "C" int KernelTestModule_Answer(void);

namespace {

struct HeldModule {
    HMODULE module;
    HeldModule() : module(LoadLibraryA("KernelTestModule.dll")) {}
    ~HeldModule() {
        if (module) FreeLibrary(module);
    }
};

HeldModule gHeld;

}  // namespace

QR_EXPORT int KernelTestPlugin_Twice(void) { return 2 * KernelTestModule_Answer(); }

QR_EXPORT HMODULE KernelTestPlugin_HeldModule(void) { return gHeld.module; }
