// The private folders that hold spool files, one per reception that spools:
// "QRVM<process id in hex>-<serial>" in the temporary folder. Their name says
// which process made them, so that the folders of a process that died before
// it could remove its own are found and removed by the next one.
#ifndef QR_STARTUP_SPOOL_FOLDERS_H
#define QR_STARTUP_SPOOL_FOLDERS_H

#include "win32.h"

#include <stddef.h>

// The name every spool file takes inside its folder.
#define SPOOL_FILE_NAME "QRX5168.TMP"

// Creates a new folder of this process, exclusively (nothing that already
// exists is ever used), and writes its path to `out`. FALSE when none can be
// made.
BOOL CreateSpoolFolder(char *out, size_t size);

// Removes the spool folders (and the spool file a folder may still hold) of
// processes that no longer run. Folders of running processes, and anything
// not named as ours, are left alone.
void RemoveAbandonedSpoolFolders();

#endif
