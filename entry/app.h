// The data source's application object: start-up and shut-down of the module.
#ifndef QR_ENTRY_APP_H
#define QR_ENTRY_APP_H

#include "afx.h"

class QRVMApp : public CWinApp {
public:
    QRVMApp();
    BOOL InitInstance() override;
    int ExitInstance() override;
};

#endif
