// Where the scan module lives: its own folder holds QRVM.INI.
#ifndef QR_SIM_MODULE_H
#define QR_SIM_MODULE_H

#include <stddef.h>

// The path of QRVM.INI beside this module; FALSE when it cannot be had whole.
bool SimIniPath(char *out, size_t size);

#endif
