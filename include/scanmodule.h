// The contract between the data source and a scanner maker's scan module.
//
// The data source loads the scan module named by key ScanDll of section
// [Scanner] in QRVM.INI (default "qvsmod.dll", always from the data source's
// own directory) and binds the fourteen operations below by their undecorated
// names. The scan module calls back through ReadytoScan and ReadytoCloseSM,
// which the data source exports.
//
// Every call happens on the application's thread. Image operations return a
// 16-bit signed status: 0 more follows, 1 complete, 2 cancelled, anything else
// (as a rule -1) failed.
#ifndef QR_SCANMODULE_H
#define QR_SCANMODULE_H

#include "twain.h"
#include "win32.h"

#if defined(_WIN32)
#define SM_API __stdcall
#else
#define SM_API
#endif

// Status values of the image operations.
#define SM_MORE 0
#define SM_DONE 1
#define SM_CANCELLED 2
#define SM_FAILED (-1)

#pragma pack(push, 2)
// The 44-byte settings record exchanged by GetDefValue and SetDefValue.
// GetDefValue fills offsets 0 to 21; SetDefValue receives all of it.
typedef struct {
    TW_UINT16 FeederPresent;  // 0: nonzero when the scanner has a document feeder
    TW_UINT16 Compression;    // 2: TWCP_ value
    TW_UINT16 FeederEnabled;  // 4
    TW_UINT16 FeederLoaded;   // 6: nonzero when paper is in the feeder
    TW_UINT16 AutoBright;     // 8
    TW_UINT16 Reflective;     // 10: nonzero when only reflective scanning is possible
    TW_UINT16 PixelType;      // 12: TWPT_ value
    TW_UINT16 PixelFlavor;    // 14: TWPF_ value
    TW_UINT16 SupportedSize;  // 16: TWSS_ value
    TW_UINT16 JpegPixelType;  // 18: TWPT_ value
    TW_UINT16 Resolution;     // 20: dots per inch
    TW_FIX32 Frame[4];        // 22: Left, Top, Right, Bottom of the image layout
    TW_INT16 Brightness;      // 38
    TW_INT16 Contrast;        // 40
    TW_UINT16 Units;          // 42: TWUN_ value
} ScanSettings;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(ScanSettings) == 44, "ScanSettings is a 44-byte record");
#endif

// The fourteen operations, in the order the data source binds them.
typedef int(SM_API *GetProductNameProc)(char *productName, TW_UINT16 language, TW_UINT16 *majorNum,
                                        TW_UINT16 *minorNum, char *manufacturer, char *productFamily,
                                        char *versionInfo);
typedef int(SM_API *ConnectScannerProc)(TW_UINT32 mode);
typedef int(SM_API *GetDefValueProc)(ScanSettings *settings);
typedef int(SM_API *SetDefValueProc)(ScanSettings *settings);
typedef HWND(SM_API *OpenSMUIProc)(HWND parent);
typedef int(SM_API *CkUseBufXferProc)(TW_UINT32 *blockKilobytes);
typedef int(SM_API *UpdateImageInfoProc)(TW_IMAGEINFO *info);
typedef int(SM_API *Button_ScanProc)(void);
typedef TW_INT16(SM_API *GetSMImage_BufProc)(TW_IMAGEMEMXFER *request, void *buffer);
typedef TW_INT16(SM_API *GetSMImage_FileProc)(TW_SETUPFILEXFER *setup, TW_UINT32 mode);
typedef TW_INT16(SM_API *GetSMImage_DIBProc)(HGLOBAL *dib);
typedef int(SM_API *CloseSMUIProc)(void);
typedef int(SM_API *NoUItoXferImageProc)(HWND parent);
typedef TW_UINT16(SM_API *CheckScanJobProc)(void);

// The two callbacks the data source exports for the scan module.
typedef void(SM_API *ReadytoScanProc)(TW_UINT32 flag);
typedef void(SM_API *ReadytoCloseSMProc)(void);

#endif
