// Paths of the files the data source loads at start-up.
#ifndef QR_STARTUP_MODULE_PATHS_H
#define QR_STARTUP_MODULE_PATHS_H

#include "win32.h"
#include <stddef.h>

// The folder of `module` with its trailing separator, e.g. "C:\TWAIN_32\QR\".
// FALSE when the module's name cannot be had whole.
BOOL GetModuleDirectory(HINSTANCE module, char *out, size_t size);

// `directory` (ending in a separator, or empty) followed by `name`; FALSE,
// with `out` emptied, when the result does not fit: a cut path would name
// another file.
BOOL ComposePath(char *out, size_t size, const char *directory, const char *name);

#endif
