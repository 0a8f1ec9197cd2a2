// The scan module's own dialog: a status line, "Scan" and "Close".
#ifndef QR_SIM_DIALOG_H
#define QR_SIM_DIALOG_H

#include "win32.h"

// Creates the modeless dialog (or shows the one already open); its window,
// or null when it cannot be created.
HWND SimOpenDialog(HWND parent);
void SimCloseDialog();
// Rewrites the status line after the settings changed.
void SimRefreshDialog();

#endif
