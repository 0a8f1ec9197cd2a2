// A module's dialog templates, from the resource table the kernel side finds
// for LoadString too. A template whose item list is missing or names no class
// is treated as absent rather than read.
#include "dialog_templates.h"

#include "kernel_internal.h"
#include "user_state.h"

#include <cstdlib>

namespace userlayer {

namespace {

// The number in MAKEINTRESOURCE(id) or "#id"; 0 for a name that is neither.
WORD TemplateId(LPCSTR name) {
    if (IS_INTRESOURCE(name)) return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    if (name[0] != '#') return 0;
    char *end = nullptr;
    unsigned long id = std::strtoul(name + 1, &end, 10);
    return *end == '\0' && id <= 0xFFFF ? static_cast<WORD>(id) : 0;
}

bool IsWellFormed(const QrDialogTemplate &dialog) {
    if (dialog.itemCount > 0 && dialog.items == nullptr) return false;
    for (WORD i = 0; i < dialog.itemCount; ++i) {
        if (dialog.items[i].className == nullptr) return false;
    }
    return true;
}

}  // namespace

const QrDialogTemplate *FindDialogTemplate(HINSTANCE instance, LPCSTR name) {
    WORD id = name != nullptr ? TemplateId(name) : 0;
    const QrResourceTable *table = id != 0 ? kernel::module_resources(instance) : nullptr;
    if (table == nullptr || table->dialogs == nullptr) {
        SetLastError(id == 0 ? kErrorResourceNameNotFound : kErrorResourceTypeNotFound);
        return nullptr;
    }
    for (size_t i = 0; i < table->dialogCount; ++i) {
        const QrDialogTemplate &dialog = table->dialogs[i];
        if (dialog.id == id && IsWellFormed(dialog)) return &dialog;
    }
    SetLastError(kErrorResourceNameNotFound);
    return nullptr;
}

}  // namespace userlayer
