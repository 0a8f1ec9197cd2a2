// The scan-module kit: everything a scanner maker needs to write the device
// library that the QRVM data source drives. This header, twain.h and the
// platform header win32.h are the whole interface; it compiles as C or C++.
// The reference scan module (scanmodule/, the simulated flatbed qvsmod.dll)
// is the worked example of every rule below.
//
// LOADING. The data source loads the library named by key ScanDll of section
// [Scanner] in QRVM.INI beside it (default "qvsmod.dll"), always from its own
// folder, and binds the fourteen operations below (and the three optional
// ones after them, when exported) by their undecorated names
// (on 32-bit Windows they are __stdcall: export them with a .def file or
// -Wl,--kill-at). An operation the library does not export is never called:
// the data source treats it as failing (no scanner, no window, no image).
//
// THREADS. Every call comes on the application's thread, and the two
// callbacks must be made on that thread too: from inside NoUItoXferImage, or
// from the scan module's dialog, whose messages the application feeds to the
// data source (which hands them on with IsDialogMessage).
//
// CALLBACKS. The data source exports ReadytoScan(flag) and ReadytoCloseSM().
// Do not link against the data source: bind both with GetProcAddress from the
// module that calls your operations (GetModuleHandleExA with
// GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS on the return address of an
// operation; see scanmodule/sim_callbacks.cpp), falling back on
// GetModuleHandleA("QRVM.ds").
//   ReadytoScan(0): an image is ready; the data source asks UpdateImageInfo
//     for its description, receives it whole when its length is open, and
//     tells the application. A further announcement before the image was
//     transferred is ignored. ReadytoScan(1) describes (and receives) the
//     image without telling the application.
//   ReadytoCloseSM(): the user wants to close the dialog; the application is
//     asked to close the source.
// Both are ignored while the application has disabled the source.
// A TWAIN 2.4 application may open the dialog for its settings alone
// (MSG_ENABLEDSUIONLY, Protocol=2.4 only). ReadytoScan then means that the
// user is done and no image is asked for: the data source reads the settings
// back (GetDefValue) as the application's new values and tells it
// (MSG_CLOSEDSOK). The dialog is not told which kind of session it serves;
// its Scan button is the user's "done" in both.
//
// ORDER OF CALLS. At load: GetProductName. When the application opens the
// source: ConnectScanner(0), then GetDefValue. Each time it enables the
// source: SetDefValue, then OpenSMUI (once; the window is only hidden and
// shown again later) or NoUItoXferImage. Per image: ReadytoScan from you,
// UpdateImageInfo, then one image operation (GetSMImage_DIB, GetSMImage_Buf
// or GetSMImage_File) as the application's transfer asks. After each
// transfer: GetDefValue, CheckScanJob, and UpdateImageInfo when images are
// left. CloseSMUI when the source closes.
//
// IMAGE STATUS. The image operations return a 16-bit signed status: SM_MORE
// (0) more follows, SM_DONE (1) complete, SM_CANCELLED (2) the user cancelled,
// anything else (as a rule SM_FAILED) failed. Any other value is a failure.
//
// MEMORY. Blocks you hand over (the DIB of GetSMImage_DIB) are moveable
// global memory (GlobalAlloc); the data source passes a complete bitmap to
// the application, which frees it, and frees a bitmap that came with a
// failure or a cancel itself (on Linux it hands the application a copy in
// the Source Manager's memory and frees yours). Buffers the data source lends
// you are its own: never write past the length it states.
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
//
// GetProductName: fill the product name, manufacturer, product family and
//   version text (at most 33 characters each; the buffers hold 36 bytes) and
//   the major and minor version. `language` is TWLG_USA.
// ConnectScanner: mode 0, nonzero when the scanner is usable (the source
//   opens only then); mode 1, nonzero when paper lies in the feeder.
// GetDefValue: the scanner's current settings, offsets 0 to 21 of
//   ScanSettings (write nothing beyond). They become the capability defaults.
// SetDefValue: the settings the application negotiated, all 44 bytes; use
//   them for the next image. The result is not looked at.
// OpenSMUI: create and show your modeless dialog (parent: the application's
//   window) and return its window, or 0 when it cannot be made. On Linux
//   nobody sees it and applications run no message loop for it: scan when it
//   is shown (call ReadytoScan from OpenSMUI or when it is shown again), as
//   the reference module does, or the application waits in vain.
// CkUseBufXfer: write your block size in kilobytes (1 to 65535) and return
//   nonzero to deliver images in blocks, or return 0 to deliver the memory
//   transfer's image as a file (GetSMImage_File mode 0).
// UpdateImageInfo: describe the next image: resolutions, width, length,
//   samples, bits per sample and per pixel (1, 8 or 24), planar FALSE, pixel
//   type, compression TWCP_NONE. ImageLength -1 means an open length: the
//   data source then pulls the whole image at once through GetSMImage_Buf.
//   With an open length, XResolution {Whole = scanned dpi, Frac = requested
//   dpi} with Frac above 300 asks the data source to enlarge the image from
//   the scanned to the requested resolution by replication.
// Button_Scan: bound, never called.
// GetSMImage_Buf: write the next rows into `buffer` (at most
//   request->Memory.Length bytes, whole rows of request->BytesPerRow bytes,
//   top row first, 1-bit pixels from the high bit, colour as red, green,
//   blue) and fill Rows, XOffset, YOffset and BytesWritten. Rows times
//   BytesPerRow must not exceed BytesWritten, nor BytesWritten the length;
//   the first block of an open-length image must not be empty. Return
//   SM_MORE while rows follow, SM_DONE with the last.
// GetSMImage_File: mode 1, write the image into setup->FileName in the
//   format setup->Format (TWFF_BMP or TWFF_TIFF) and return SM_DONE. Mode 0
//   (the memory transfer's file): write a little-endian TIFF whose entry
//   count stands at offset 8 and whose 12-byte entries start at offset 12,
//   with ImageWidth (256), ImageLength (257), StripOffsets (273) and
//   SamplesPerPixel (277), and the rows uncompressed from StripOffsets on
//   (bilevel rows packed, otherwise a byte per sample); return SM_MORE or
//   SM_DONE once written. A failed or cancelled file should not be left.
// GetSMImage_DIB: store a packed device-independent bitmap (header, palette,
//   rows bottom-up padded to 4 bytes, colour as blue, green, red) in a
//   moveable global block at *dib and return SM_DONE.
// CloseSMUI: destroy the dialog. The result is not looked at.
// NoUItoXferImage: scan at once without a dialog; announce the image with
//   ReadytoScan(0) before returning; nonzero on success.
// CheckScanJob: the number of images of the job not yet transferred.
typedef int(SM_API *GetProductNameProc)(char *productName, TW_UINT16 language, TW_UINT16 *majorNum, TW_UINT16 *minorNum,
                                        char *manufacturer, char *productFamily, char *versionInfo);
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

// The fourteen operations as a host holds them once bound by name.
typedef struct ScanModuleOpsTable {
    GetProductNameProc GetProductName;
    ConnectScannerProc ConnectScanner;
    GetDefValueProc GetDefValue;
    SetDefValueProc SetDefValue;
    OpenSMUIProc OpenSMUI;
    CkUseBufXferProc CkUseBufXfer;
    UpdateImageInfoProc UpdateImageInfo;
    Button_ScanProc Button_Scan;
    GetSMImage_BufProc GetSMImage_Buf;
    GetSMImage_FileProc GetSMImage_File;
    GetSMImage_DIBProc GetSMImage_DIB;
    CloseSMUIProc CloseSMUI;
    NoUItoXferImageProc NoUItoXferImage;
    CheckScanJobProc CheckScanJob;
} ScanModuleOpsTable;

// OPTIONAL OPERATIONS. Three more operations are looked for by name; a
// library without them loads and works as before, and the data source answers
// from what it knows instead (shown in brackets). They describe the scanner
// itself, not a scan: the data source may call them in any state after
// GetProductName, as often as an application asks. Each returns nonzero when
// it answered; with 0 its outputs are not read.
//
// GetOpticalResolution: the sensor's own resolution across (xDpi) and along
//   (yDpi) the page, in dots per inch, 1 to 32767: ICAP_XNATIVERESOLUTION
//   and ICAP_YNATIVERESOLUTION. [the highest resolution the source offers]
// GetGlassSize: the largest area the scanner can scan, in thousandths of an
//   inch, 1 to 32767000: ICAP_PHYSICALWIDTH and ICAP_PHYSICALHEIGHT.
//   [8.5 x 11.5 inches]
// IsDeviceOnline: nonzero while the scanner is connected and powered
//   (CAP_DEVICEONLINE); unlike ConnectScanner(0) it starts nothing.
//   [online: the scanner answered ConnectScanner(0) when the source opened]
typedef int(SM_API *GetOpticalResolutionProc)(TW_UINT16 *xDpi, TW_UINT16 *yDpi);
typedef int(SM_API *GetGlassSizeProc)(TW_UINT32 *widthMils, TW_UINT32 *heightMils);
typedef int(SM_API *IsDeviceOnlineProc)(void);

// The optional operations as a host holds them; null when not exported.
typedef struct ScanModuleOptionalOpsTable {
    GetOpticalResolutionProc GetOpticalResolution;
    GetGlassSizeProc GetGlassSize;
    IsDeviceOnlineProc IsDeviceOnline;
} ScanModuleOptionalOpsTable;

// The two callbacks the data source exports for the scan module.
typedef void(SM_API *ReadytoScanProc)(TW_UINT32 flag);
typedef void(SM_API *ReadytoCloseSMProc)(void);

#endif
