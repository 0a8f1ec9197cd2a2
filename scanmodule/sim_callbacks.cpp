#include "sim_callbacks.h"

#include "scanmodule.h"

namespace {

ReadytoScanProc gpReadytoScan = nullptr;
ReadytoCloseSMProc gpReadytoCloseSM = nullptr;

template <class Proc>
Proc Bind(HMODULE module, const char *name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

bool BindFrom(HMODULE module) {
    if (!module) return false;
    ReadytoScanProc scan = Bind<ReadytoScanProc>(module, "ReadytoScan");
    if (!scan) return false;
    gpReadytoScan = scan;
    gpReadytoCloseSM = Bind<ReadytoCloseSMProc>(module, "ReadytoCloseSM");
    return true;
}

bool EnsureBound() { return gpReadytoScan || BindFrom(GetModuleHandleA("QRVM.ds")); }

}  // namespace

void SimNoteCaller(void *returnAddress) {
    HMODULE caller = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)returnAddress, &caller))
        BindFrom(caller);
}

bool SimAnnounceImage() {
    if (!EnsureBound()) return false;
    gpReadytoScan(0);
    return true;
}

bool SimRequestClose() {
    if (!EnsureBound() || !gpReadytoCloseSM) return false;
    gpReadytoCloseSM();
    return true;
}
