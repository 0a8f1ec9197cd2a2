// The scan module's calls into the data source, and the messages they send
// the application.
#ifndef QR_ENTRY_CALLBACKS_H
#define QR_ENTRY_CALLBACKS_H

#include "scanmodule.h"

QR_EXPORT void SM_API ReadytoScan(TW_UINT32 flag);
QR_EXPORT void SM_API ReadytoCloseSM(void);

// MSG_XFERREADY, MSG_CLOSEDSREQ and MSG_CLOSEDSOK to the application through
// the Source Manager; without one they go nowhere.
void NotifyXferReady();
void NotifyCloseRequest();
void NotifyCloseOK();

#endif
