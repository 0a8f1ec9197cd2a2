#include "module_paths.h"

#include <stdio.h>
#include <string.h>

static BOOL IsSeparator(char c) { return c == '\\' || c == '/'; }

BOOL GetModuleDirectory(HINSTANCE module, char *out, size_t size) {
    if (size == 0) return FALSE;
    out[0] = '\0';
    DWORD length = GetModuleFileNameA(module, out, (DWORD)size);
    if (length == 0 || length >= size) {  // failed, or cut to the buffer
        out[0] = '\0';
        return FALSE;
    }
    // Keep everything up to and including the last separator; a bare file
    // name has no folder of its own.
    size_t keep = 0;
    for (size_t i = length; i > 0; --i) {
        if (IsSeparator(out[i - 1])) {
            keep = i;
            break;
        }
    }
    out[keep] = '\0';
    return TRUE;
}

BOOL ComposePath(char *out, size_t size, const char *directory, const char *name) {
    int written = snprintf(out, size, "%s%s", directory, name);
    if (written < 0 || (size_t)written >= size) {
        if (size) out[0] = '\0';
        return FALSE;
    }
    return TRUE;
}
