// The scriptable scan module. Built twice: complete, and with some operations
// left out (FAKESM_PARTIAL) to test a module that lacks them.
#include "fake_scan_module.h"

#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static FakeScanModuleState gState;
static ReadytoScanProc gpReadytoScan;

static void Log(const char *format, ...) __attribute__((format(printf, 1, 2)));
static void Log(const char *format, ...) {
    size_t used = strlen(gState.log);
    if (used && used + 1 < sizeof gState.log) gState.log[used++] = ' ', gState.log[used] = '\0';
    va_list args;
    va_start(args, format);
    vsnprintf(gState.log + used, sizeof gState.log - used, format, args);
    va_end(args);
}

extern "C" __attribute__((visibility("default"))) FakeScanModuleState *FakeSM_State() { return &gState; }

extern "C" __attribute__((visibility("default"))) void FakeSM_Reset() {
    if (gState.uiWindow && IsWindow(gState.uiWindow)) DestroyWindow(gState.uiWindow);
    memset(&gState, 0, sizeof gState);
    strcpy(gState.productName, "Fake Flatbed");
    strcpy(gState.manufacturer, "Test Maker");
    strcpy(gState.productFamily, "Fake Family");
    strcpy(gState.versionInfo, "Fake 2.7");
    gState.majorNum = 2;
    gState.minorNum = 7;
    gState.connectResult = 1;
    gState.noUIResult = 1;
    gState.noUIAnnounces = TRUE;
    gState.defaults.PixelType = TWPT_GRAY;
    gState.defaults.Resolution = 300;
    gState.imageInfo.XResolution.Whole = 300;
    gState.imageInfo.YResolution.Whole = 300;
    gState.imageInfo.ImageWidth = 100;
    gState.imageInfo.ImageLength = 50;
    gState.imageInfo.SamplesPerPixel = 1;
    gState.imageInfo.BitsPerSample[0] = 8;
    gState.imageInfo.BitsPerPixel = 8;
    gState.imageInfo.PixelType = TWPT_GRAY;
    gState.blockKilobytes = 32;
    gState.stopAtBlock = -1;
    gState.dibStatus = SM_DONE;
    gState.fileStatus = SM_MORE;
    gState.opticalDpi = 600;
    gState.glassWidthMils = 8500;  // US legal
    gState.glassHeightMils = 14000;
    gState.online = 1;
}

// The data source that called us, found by the caller's address.
static void BindCallbacks(void *callerAddress) {
    HMODULE caller = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(callerAddress), &caller))
        return;
    FARPROC proc = GetProcAddress(caller, "ReadytoScan");
    gpReadytoScan = reinterpret_cast<ReadytoScanProc>(reinterpret_cast<void (*)(void)>(proc));
}

#define SM_EXPORT extern "C" __attribute__((visibility("default")))

SM_EXPORT int GetProductName(char *name, TW_UINT16 language, TW_UINT16 *major, TW_UINT16 *minor, char *manufacturer,
                             char *family, char *version) {
    BindCallbacks(__builtin_return_address(0));
    Log("GetProductName(%u)", language);
    // The buffers are 36 bytes: strings longer than that are the test's way
    // of checking that the source survives a module that overruns nothing
    // but fills every byte.
    memcpy(name, gState.productName, 36);
    memcpy(manufacturer, gState.manufacturer, 36);
    memcpy(family, gState.productFamily, 36);
    memcpy(version, gState.versionInfo, 36);
    *major = gState.majorNum;
    *minor = gState.minorNum;
    return 1;
}

SM_EXPORT int ConnectScanner(TW_UINT32 mode) {
    Log("ConnectScanner(%u)", mode);
    return mode == 0 ? gState.connectResult : gState.feederPaperResult;
}

SM_EXPORT int GetDefValue(ScanSettings *settings) {
    Log("GetDefValue");
    memcpy(settings, &gState.defaults, 22);  // offsets 0 to 21 only
    return 1;
}

SM_EXPORT int SetDefValue(ScanSettings *settings) {
    Log("SetDefValue");
    gState.lastRequest = *settings;
    gState.setDefValueCalls++;
    return 1;
}

#if !defined(FAKESM_PARTIAL)
SM_EXPORT HWND OpenSMUI(HWND parent) {
    Log("OpenSMUI");
    gState.uiParent = parent;
    if (gState.openUIAnnounces && gpReadytoScan) gpReadytoScan(gState.announceFlag);
    if (gState.openUIFails) return nullptr;
    gState.uiWindow = CreateWindowExA(0, "STATIC", "Fake Scan", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr,
                                      nullptr, nullptr);
    return gState.uiWindow;
}

SM_EXPORT int NoUItoXferImage(HWND parent) {
    Log("NoUItoXferImage");
    gState.uiParent = parent;
    if (gState.noUIAnnounces && gpReadytoScan) gpReadytoScan(gState.announceFlag);
    return gState.noUIResult;
}

SM_EXPORT int CloseSMUI() {
    Log("CloseSMUI");
    if (gState.uiWindow && IsWindow(gState.uiWindow)) DestroyWindow(gState.uiWindow);
    gState.uiWindow = nullptr;
    return 1;
}

SM_EXPORT int GetOpticalResolution(TW_UINT16 *x, TW_UINT16 *y) {
    *x = *y = gState.opticalDpi;
    return 1;
}

SM_EXPORT int GetGlassSize(TW_UINT32 *width, TW_UINT32 *height) {
    *width = gState.glassWidthMils;
    *height = gState.glassHeightMils;
    return 1;
}

SM_EXPORT int IsDeviceOnline() { return gState.online; }
#endif

SM_EXPORT int CkUseBufXfer(TW_UINT32 *kb) {
    Log("CkUseBufXfer");
    *kb = gState.blockKilobytes;
    return gState.deliversFiles ? 0 : 1;
}

SM_EXPORT int UpdateImageInfo(TW_IMAGEINFO *info) {
    Log("UpdateImageInfo");
    *info = gState.imageInfo;
    return 1;
}

SM_EXPORT int Button_Scan() {
    Log("Button_Scan");
    return 0;
}

static int BlockCount() { return gState.uniformBlocks ? gState.uniformBlocks : gState.blockCount; }
static TW_UINT32 RowsOfBlock(int index) {
    return (TW_UINT32)(gState.uniformBlocks ? gState.uniformRows : gState.blockRows[index]);
}

// Rows of the image before block `index`.
static TW_UINT32 RowsBefore(int index) {
    if (gState.uniformBlocks) return (TW_UINT32)index * (TW_UINT32)gState.uniformRows;
    TW_UINT32 rows = 0;
    for (int i = 0; i < index; ++i) rows += (TW_UINT32)gState.blockRows[i];
    return rows;
}

static TW_UINT32 ImageRowBytes() {
    return ((TW_UINT32)gState.imageInfo.ImageWidth * (TW_UINT32)gState.imageInfo.BitsPerPixel + 7) / 8;
}

static void WritePatternRows(TW_UINT8 *out, TW_UINT32 first, TW_UINT32 rows, TW_UINT32 rowBytes) {
    for (TW_UINT32 r = 0; r < rows; ++r)
        for (TW_UINT32 b = 0; b < rowBytes; ++b) *out++ = PatternByte(first + r, b);
}

// Reception of an image of open length: the scripted blocks.
static TW_INT16 DeliverBlock(int index, TW_IMAGEMEMXFER *request, void *buffer) {
    if (index >= BlockCount()) return SM_FAILED;
    if (gState.freezeAtBlock && index == gState.freezeAtBlock) raise(SIGSTOP);
    TW_UINT32 first = RowsBefore(index);
    TW_UINT32 rows = RowsOfBlock(index);
    WritePatternRows(static_cast<TW_UINT8 *>(buffer), first, rows, request->BytesPerRow);
    memset(static_cast<TW_UINT8 *>(buffer) + rows * request->BytesPerRow, 0xEE, gState.blockSlack);
    request->Rows = rows;
    request->XOffset = 0;
    request->YOffset = first;
    request->BytesWritten = rows * request->BytesPerRow + gState.blockSlack;
    if (index == 0 && gState.firstBlockBytes) request->BytesWritten = gState.firstBlockBytes;
    if (gState.rowBytesClaimed) {
        request->BytesPerRow = gState.rowBytesClaimed;
        request->BytesWritten = rows * gState.rowBytesClaimed;
    }
    return index + 1 == BlockCount() ? SM_DONE : SM_MORE;
}

// An image of known length: as many whole rows as Memory.Length holds.
static TW_INT16 DeliverStrip(TW_IMAGEMEMXFER *request, void *buffer) {
    TW_UINT32 rowBytes = ImageRowBytes();
    TW_UINT32 left = (TW_UINT32)gState.imageInfo.ImageLength - gState.rowsDelivered;
    TW_UINT32 rows = request->Memory.Length / rowBytes;
    if (rows > left) rows = left;
    if (rows == 0) return SM_FAILED;
    WritePatternRows(static_cast<TW_UINT8 *>(buffer), gState.rowsDelivered, rows, rowBytes);
    request->Rows = rows;
    request->XOffset = 0;
    request->YOffset = gState.rowsDelivered;
    request->BytesWritten = gState.stripBytesClaimed ? gState.stripBytesClaimed : rows * rowBytes;
    gState.rowsDelivered += rows;
    // Scribbled over: the application must get its own record back.
    request->Memory.Flags = TWMF_DSOWNS | TWMF_HANDLE;
    request->Memory.Length = 1;
    request->Memory.TheMem = nullptr;
    return rows == left ? SM_DONE : SM_MORE;
}

SM_EXPORT TW_INT16 GetSMImage_Buf(TW_IMAGEMEMXFER *request, void *buffer) {
    Log("GetSMImage_Buf");
    gState.lastStripLength = request->Memory.Length;
    int index = gState.blocksDelivered++;
    if (index == gState.stopAtBlock) return gState.stopStatus;
    if (gState.imageInfo.ImageLength == -1) return DeliverBlock(index, request, buffer);
    return DeliverStrip(request, buffer);
}

static void Put16(FILE *file, TW_UINT16 value) {
    fputc(value & 0xFF, file);
    fputc(value >> 8, file);
}
static void Put32(FILE *file, TW_UINT32 value) {
    Put16(file, (TW_UINT16)value);
    Put16(file, (TW_UINT16)(value >> 16));
}

// The TIFF of the memory transfer's file mode: the entry count at 8, two
// spare bytes, the entries from 12, then the rows.
static void WriteScanFile(FILE *file) {
    const TW_IMAGEINFO &info = gState.imageInfo;
    struct Entry {
        TW_UINT16 tag, type;
        TW_UINT32 value;
    } entries[5] = {{256, 4, (TW_UINT32)info.ImageWidth},
                    {257, 4, (TW_UINT32)info.ImageLength},
                    {259, 3, 1},
                    {277, 3, (TW_UINT32)info.SamplesPerPixel},
                    {273, 4, 0}};
    TW_UINT16 count = gState.fileWithoutOffsets ? 4 : 5;
    entries[4].value = 12 + 12u * count;
    fputs("II", file);
    Put16(file, 42);
    Put32(file, 8);
    Put16(file, count);
    Put16(file, 0);
    for (TW_UINT16 i = 0; i < count; ++i) {
        Put16(file, entries[i].tag);
        Put16(file, entries[i].type);
        Put32(file, 1);
        Put32(file, entries[i].value);
    }
    TW_UINT32 dataBytes = ImageRowBytes() * (TW_UINT32)info.ImageLength - gState.fileShortBy;
    for (TW_UINT32 at = 0; at < dataBytes; ++at) fputc(PatternByte(at / ImageRowBytes(), at % ImageRowBytes()), file);
}

SM_EXPORT TW_INT16 GetSMImage_File(TW_SETUPFILEXFER *setup, TW_UINT32 mode) {
    Log("GetSMImage_File(%u)", mode);
    size_t nameLength = strnlen(setup->FileName, sizeof gState.lastFileName - 1);
    memcpy(gState.lastFileName, setup->FileName, nameLength);
    gState.lastFileName[nameLength] = '\0';
    gState.lastFileFormat = setup->Format;
    FILE *file = fopen(setup->FileName, "wb");
    if (!file) return SM_FAILED;
    if (mode == 0)
        WriteScanFile(file);
    else
        fprintf(file, FAKESM_FILE_TEXT, setup->Format, gState.imageInfo.ImageWidth, gState.imageInfo.ImageLength);
    fclose(file);
    return gState.fileStatus;
}

// A packed bitmap as the data source makes them: header, palette (black and
// white, or 256 greys), rows bottom-up padded to four bytes, blue first.
SM_EXPORT TW_INT16 GetSMImage_DIB(HGLOBAL *dib) {
    if (gState.dibWithoutBitmap) {
        Log("GetSMImage_DIB");
        return gState.dibStatus;
    }
    Log("GetSMImage_DIB");
    const TW_IMAGEINFO &info = gState.imageInfo;
    TW_UINT32 bits = (TW_UINT32)info.BitsPerPixel, width = (TW_UINT32)info.ImageWidth;
    TW_UINT32 length = (TW_UINT32)info.ImageLength;
    TW_UINT32 colours = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    TW_UINT32 stride = (width * bits + 31) / 32 * 4;
    BITMAPINFOHEADER header = {40,
                               (LONG)width,
                               (LONG)length,
                               1,
                               (WORD)bits,
                               BI_RGB,
                               stride * length,
                               info.XResolution.Whole * 10000 / 254,
                               info.YResolution.Whole * 10000 / 254,
                               colours,
                               0};
    *dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 40 + 4 * colours + stride * length);
    TW_UINT8 *at = *dib ? static_cast<TW_UINT8 *>(GlobalLock(*dib)) : nullptr;
    if (!at) return SM_FAILED;  // out of memory, as a real module would say
    memcpy(at, &header, 40);
    RGBQUAD *palette = reinterpret_cast<RGBQUAD *>(at + 40);
    for (TW_UINT32 i = 0; i < colours; ++i) {
        TW_UINT8 grey = bits == 1 ? (TW_UINT8)(i * 255) : (TW_UINT8)i;
        palette[i] = {grey, grey, grey, (TW_UINT8)(bits == 1 ? grey : 0)};
    }
    TW_UINT8 *pixels = at + 40 + 4 * colours;
    for (TW_UINT32 row = 0; row < length; ++row) {
        TW_UINT8 *out = pixels + (length - 1 - row) * stride;
        for (TW_UINT32 b = 0; b < ImageRowBytes(); ++b) {
            TW_UINT32 swapped = bits == 24 ? b / 3 * 3 + 2 - b % 3 : b;  // red, green, blue to blue, green, red
            out[b] = PatternByte(row, swapped);
        }
    }
    GlobalUnlock(*dib);
    return gState.dibStatus;
}

SM_EXPORT TW_UINT16 CheckScanJob() {
    Log("CheckScanJob");
    return gState.jobImagesLeft;
}
