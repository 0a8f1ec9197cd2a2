// LoadStringA over the resource table a module exports (resource_table.h):
// the table plays the part of the string resources of a Windows module.
#include "kernel_internal.h"

#include <string.h>

namespace kernel {

const QrResourceTable *module_resources(HINSTANCE instance) {
    return static_cast<const QrResourceTable *>(FindOwnSymbol(instance, QR_RESOURCE_SYMBOL));
}

}  // namespace kernel

namespace {

const char *find_string(const QrResourceTable *table, UINT id) {
    if (!table || !table->strings) return nullptr;
    for (size_t i = 0; i < table->stringCount; i++) {
        if (table->strings[i].id == id) return table->strings[i].text;
    }
    return nullptr;
}

}  // namespace

// Copies string `id` of the module (NULL = the main program), cut to size-1
// characters, and returns the count copied; a missing string gives "" and 0.
WINBASEAPI int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    const char *text = find_string(kernel::module_resources(instance), id);
    if (!text) {
        buffer[0] = '\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    size_t length = strnlen(text, static_cast<size_t>(size) - 1);
    memcpy(buffer, text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}
