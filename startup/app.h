// The data source's application object: start-up and shut-down of the module.
#ifndef QR_STARTUP_APP_H
#define QR_STARTUP_APP_H

#include "afx.h"

class QRVMApp : public CWinApp {
public:
    QRVMApp();
    BOOL InitInstance() override;
    int ExitInstance() override;
};

// Fills gDSIdentity from the scan module's product name and version; the
// last step of start-up. State 300 afterwards.
void InitIdentity();

#endif
