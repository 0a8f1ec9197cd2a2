// The message pump of the copying loops.
#ifndef QR_UI_MESSAGE_PUMP_H
#define QR_UI_MESSAGE_PUMP_H

#include "win32.h"

// Dispatches at most one waiting message of this thread; never waits. A
// copying loop calls it once per step, which serves the progress dialog's
// timer and its Cancel button.
LRESULT PumpMessage();

#endif
