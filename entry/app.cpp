// Start-up binds the Source Manager's entry point and the scan module named
// in QRVM.INI; shut-down frees both. Nothing else of the data source runs
// before InitInstance or after ExitInstance.
#include "app.h"

#include "image/current_image.h"
#include "image/queue.h"
#include "session.h"
#include "startup/modules.h"
#include "startup/scan_module.h"
#include "startup/spool_folders.h"

QR_DLL_APPLICATION(QRVMApp, theApp)

QRVMApp::QRVMApp() : CWinApp("QRVM") {}

BOOL QRVMApp::InitInstance() {
    ghInstance = m_hInstance;
    // Spool folders of a process that died scanning go before any are made.
    RemoveAbandonedSpoolFolders();
    BindSourceManager();
    ReadConfiguredProtocol();
    if (!LoadConfiguredScanModule()) {
        // The module stays loaded in state 0: every triplet with a state
        // rule is refused with TWCC_SEQERROR.
        gConditionCode = TWCC_BADPROTOCOL;
        return TRUE;
    }
    InitIdentity(&gDSIdentity);
    gAppIdentity.Id = 0;
    gDSState = DS_STATE_LOADED;
    SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
    return TRUE;
}

int QRVMApp::ExitInstance() {
    // An image never transferred is reported, and its memory and spool file
    // go with the module rather than outlive it.
    gImageQueue.ReportLeftovers();
    DiscardImage();
    FreeScanModule();
    FreeSourceManager();
    return CWinApp::ExitInstance();
}
