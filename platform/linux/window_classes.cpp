// Window classes: the predefined controls, the dialog class and the classes a
// module registers. A registered class belongs to the instance that registered
// it (or to everyone with CS_GLOBALCLASS); the predefined ones come last.
#include "user_state.h"

namespace userlayer {

namespace {

const char kDialogClassName[] = "#32770";

void AddClass(const char *name, WNDPROC proc, int extraBytes, HINSTANCE instance, UINT style, bool system) {
    auto cls = std::make_unique<WindowClass>();
    cls->atom = system && std::string(name) == kDialogClassName ? kDialogClassAtom : AddAtom(name);
    cls->name = name;
    cls->proc = proc;
    cls->extraBytes = extraBytes;
    cls->instance = instance;
    cls->style = style;
    cls->system = system;
    State().classes.push_back(std::move(cls));
}

void EnsureSystemClasses() {
    static bool added = false;
    if (added) return;
    added = true;
    AddClass("BUTTON", ButtonProc, 0, nullptr, kClassGlobal, true);
    AddClass("STATIC", DefWindowProcA, 0, nullptr, kClassGlobal, true);
    AddClass("EDIT", EditProc, 0, nullptr, kClassGlobal, true);
    AddClass(kDialogClassName, DialogProc, kDialogExtraBytes, nullptr, kClassGlobal, true);
}

bool NameMatches(const WindowClass &cls, LPCSTR name) {
    if (IS_INTRESOURCE(name)) return cls.atom == static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    return UpperCase(cls.name.c_str()) == UpperCase(name);
}

const WindowClass *FindClassWhere(LPCSTR name, bool (*accept)(const WindowClass &, HINSTANCE), HINSTANCE instance) {
    for (const auto &cls : State().classes) {
        if (NameMatches(*cls, name) && accept(*cls, instance)) return cls.get();
    }
    return nullptr;
}

bool IsLocalTo(const WindowClass &cls, HINSTANCE instance) { return !cls.system && cls.instance == instance; }

bool IsGlobal(const WindowClass &cls, HINSTANCE) { return !cls.system && (cls.style & kClassGlobal) != 0; }

bool IsSystem(const WindowClass &cls, HINSTANCE) { return cls.system; }

// As on Windows, a null instance stands for the program's own module.
HINSTANCE OwnerOf(HINSTANCE instance) { return instance ? instance : GetModuleHandleA(nullptr); }

}  // namespace

// Lock held. The "#32770" name and the atom 32770 both name the dialog class.
const WindowClass *FindClass(LPCSTR name, HINSTANCE instance) {
    if (name == nullptr) return nullptr;
    EnsureSystemClasses();
    if (const WindowClass *cls = FindClassWhere(name, IsLocalTo, OwnerOf(instance))) return cls;
    if (const WindowClass *cls = FindClassWhere(name, IsGlobal, instance)) return cls;
    return FindClassWhere(name, IsSystem, instance);
}

const WindowClass *SystemClass(const char *name) {
    EnsureSystemClasses();
    return FindClassWhere(name, IsSystem, nullptr);
}

}  // namespace userlayer

using namespace userlayer;

WORD RegisterClassA(const WNDCLASSA *wc) {
    if (wc == nullptr || wc->lpfnWndProc == nullptr || wc->lpszClassName == nullptr ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == '\0' || wc->cbWndExtra < 0 ||
        wc->cbWndExtra > 1024) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Lock lock = LockState();
    EnsureSystemClasses();
    for (const auto &cls : State().classes) {
        if (cls->system || !NameMatches(*cls, wc->lpszClassName)) continue;
        if (cls->instance == OwnerOf(wc->hInstance) || ((cls->style | wc->style) & kClassGlobal) != 0) {
            SetLastError(kErrorClassAlreadyExists);
            return 0;
        }
    }
    if (AddAtom(wc->lpszClassName) == 0) {
        SetLastError(kErrorNotEnoughQuota);
        return 0;
    }
    AddClass(wc->lpszClassName, wc->lpfnWndProc, wc->cbWndExtra, OwnerOf(wc->hInstance), wc->style, false);
    return State().classes.back()->atom;
}
