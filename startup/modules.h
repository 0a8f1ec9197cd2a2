// The modules the data source binds at start-up and frees at shut-down: the
// Source Manager it tells of images, and the scan module named in QRVM.INI.
#ifndef QR_STARTUP_MODULES_H
#define QR_STARTUP_MODULES_H

#include "twain.h"
#include "win32.h"

extern HINSTANCE ghInstance;  // the data source itself
extern DSMENTRYPROC gpDSMEntry;

// Binds DSM_Entry of TWAIN_32.DLL in the Windows directory. Its absence only
// means the application is never told of images.
void BindSourceManager();
void FreeSourceManager();

// Reads [Source] Protocol of QRVM.INI into gProtocol (protocol.h); 1.5 when
// the file or the key is missing.
void ReadConfiguredProtocol();

// Loads the scan module named by [Scanner] ScanDll of QRVM.INI, always from
// the data source's own folder, and binds its operations. FALSE when it
// cannot be loaded.
BOOL LoadConfiguredScanModule();

// The source's identity, as the scan module names the scanner; its Id 0 and
// its protocol the one QRVM.INI chose.
void InitIdentity(TW_IDENTITY *identity);

#endif
