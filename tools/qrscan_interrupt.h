// Ctrl-C while qrscan works. The first request presses Cancel on the data
// source's progress dialog ("Image Data Transferring..."), which makes the
// transfer under way answer TWRC_CANCEL; when no such dialog is open, the
// request waits for the next point where qrscan can stop by itself. A third
// request ends the process at once.
#ifndef QR_QRSCAN_INTERRUPT_H
#define QR_QRSCAN_INTERRUPT_H

#include "win32.h"

// Call first in main, before any thread exists: on Linux SIGINT and SIGTERM
// are blocked in every thread and a watcher thread waits for them; on
// Windows a console control handler does the same work.
void StartInterruptWatch();

// A request to stop has come.
bool InterruptRequested();
// The request reached the data source's Cancel button, so the source will
// end the transfer itself.
bool InterruptForwarded();
// Presses Cancel on the data source's progress dialog for a request that
// has not reached it yet; does nothing when there is no dialog. TRUE when it
// looked for the dialog and found it; it looks only for a request that has
// not reached the dialog.
bool ForwardInterrupt();

// The data source's progress dialog, or null.
HWND FindSourceProgressDialog();

#endif
