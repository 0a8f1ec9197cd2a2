/* The smallest useful scan module, written in C against the kit header
 * alone: a 16 x 8 grey image whose pixel (x, y) is 16 * y + x, delivered as
 * a bitmap or in strips. */
#include "scanmodule.h"

#include <string.h>

#define WIDTH 16
#define LENGTH 8

static ScanSettings gSettings;
static TW_UINT32 gRowsSent;

static BYTE Pixel(TW_UINT32 x, TW_UINT32 y) { return (BYTE)(16 * y + x); }

/* ReadytoScan of the data source that called us. */
static ReadytoScanProc gReadytoScan;

static void BindCallbacks(void *returnAddress) {
    HMODULE caller = NULL;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)returnAddress, &caller))
        gReadytoScan = (ReadytoScanProc)(void (*)(void))GetProcAddress(caller, "ReadytoScan");
}

QR_EXPORT int SM_API GetProductName(char *name, TW_UINT16 language, TW_UINT16 *major, TW_UINT16 *minor,
                                    char *manufacturer, char *family, char *version) {
    (void)language;
    BindCallbacks(__builtin_return_address(0));
    strcpy(name, "Kit Minimal");
    strcpy(manufacturer, "Kit Maker");
    strcpy(family, "Kit");
    strcpy(version, "Kit 0.1");
    *major = 0;
    *minor = 1;
    return 1;
}

QR_EXPORT int SM_API ConnectScanner(TW_UINT32 mode) { return mode == 0; }

QR_EXPORT int SM_API GetDefValue(ScanSettings *settings) {
    memset(settings, 0, 22);
    settings->PixelType = TWPT_GRAY;
    settings->Resolution = 100;
    return 1;
}

QR_EXPORT int SM_API SetDefValue(ScanSettings *settings) {
    gSettings = *settings;
    return 1;
}

QR_EXPORT int SM_API UpdateImageInfo(TW_IMAGEINFO *info) {
    memset(info, 0, sizeof *info);
    info->XResolution.Whole = info->YResolution.Whole = 100;
    info->ImageWidth = WIDTH;
    info->ImageLength = LENGTH;
    info->SamplesPerPixel = 1;
    info->BitsPerSample[0] = 8;
    info->BitsPerPixel = 8;
    info->PixelType = TWPT_GRAY;
    gRowsSent = 0;
    return 1;
}

QR_EXPORT int SM_API NoUItoXferImage(HWND parent) {
    (void)parent;
    BindCallbacks(__builtin_return_address(0));
    if (!gReadytoScan) return 0;
    gReadytoScan(0);
    return 1;
}

QR_EXPORT TW_INT16 SM_API GetSMImage_DIB(HGLOBAL *dib) {
    const TW_UINT32 palette = 256 * 4, stride = (WIDTH + 3) / 4 * 4;
    BITMAPINFOHEADER header;
    memset(&header, 0, sizeof header);
    header.biSize = sizeof header;
    header.biWidth = WIDTH;
    header.biHeight = LENGTH;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biSizeImage = stride * LENGTH;
    header.biClrUsed = 256;
    *dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof header + palette + header.biSizeImage);
    BYTE *at = (BYTE *)GlobalLock(*dib);
    if (!at) return SM_FAILED;
    memcpy(at, &header, sizeof header);
    for (TW_UINT32 i = 0; i < 256; ++i)
        at[sizeof header + 4 * i] = at[sizeof header + 4 * i + 1] = at[sizeof header + 4 * i + 2] = (BYTE)i;
    for (TW_UINT32 y = 0; y < LENGTH; ++y)
        for (TW_UINT32 x = 0; x < WIDTH; ++x) at[sizeof header + palette + (LENGTH - 1 - y) * stride + x] = Pixel(x, y);
    GlobalUnlock(*dib);
    return SM_DONE;
}

QR_EXPORT TW_INT16 SM_API GetSMImage_Buf(TW_IMAGEMEMXFER *request, void *buffer) {
    TW_UINT32 rows = request->Memory.Length / WIDTH;
    if (rows > LENGTH - gRowsSent) rows = LENGTH - gRowsSent;
    if (rows == 0) return SM_FAILED;
    BYTE *out = (BYTE *)buffer;
    for (TW_UINT32 y = 0; y < rows; ++y)
        for (TW_UINT32 x = 0; x < WIDTH; ++x) *out++ = Pixel(x, gRowsSent + y);
    request->Rows = rows;
    request->XOffset = 0;
    request->YOffset = gRowsSent;
    request->BytesWritten = rows * WIDTH;
    gRowsSent += rows;
    return gRowsSent == LENGTH ? SM_DONE : SM_MORE;
}

QR_EXPORT TW_UINT16 SM_API CheckScanJob(void) { return 0; }
