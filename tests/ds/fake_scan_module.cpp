// The scriptable scan module. Built twice: complete, and with some operations
// left out (FAKESM_PARTIAL) to test a module that lacks them.
#include "fake_scan_module.h"

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

SM_EXPORT int GetProductName(char *name, TW_UINT16 language, TW_UINT16 *major, TW_UINT16 *minor,
                             char *manufacturer, char *family, char *version) {
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
    if (gState.openUIFails) return nullptr;
    gState.uiWindow = CreateWindowExA(0, "STATIC", "Fake Scan", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, nullptr,
                                      nullptr, nullptr, nullptr);
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
#endif

SM_EXPORT int CkUseBufXfer(TW_UINT32 *kb) {
    Log("CkUseBufXfer");
    *kb = gState.blockKilobytes;
    return 1;
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

// Rows of the image before block `index`.
static TW_UINT32 RowsBefore(int index) {
    TW_UINT32 rows = 0;
    for (int i = 0; i < index; ++i) rows += (TW_UINT32)gState.blockRows[i];
    return rows;
}

SM_EXPORT TW_INT16 GetSMImage_Buf(TW_IMAGEMEMXFER *request, void *buffer) {
    Log("GetSMImage_Buf");
    int index = gState.blocksDelivered++;
    if (index == gState.stopAtBlock) return gState.stopStatus;
    if (index >= gState.blockCount) return SM_FAILED;
    TW_UINT32 first = RowsBefore(index);
    TW_UINT32 rows = (TW_UINT32)gState.blockRows[index];
    TW_UINT8 *out = static_cast<TW_UINT8 *>(buffer);
    for (TW_UINT32 r = 0; r < rows; ++r)
        for (TW_UINT32 b = 0; b < request->BytesPerRow; ++b) *out++ = PatternByte(first + r, b);
    request->Rows = rows;
    request->XOffset = 0;
    request->YOffset = first;
    request->BytesWritten = rows * request->BytesPerRow;
    if (index == 0 && gState.firstBlockBytes) request->BytesWritten = gState.firstBlockBytes;
    return index + 1 == gState.blockCount ? SM_DONE : SM_MORE;
}

SM_EXPORT TW_INT16 GetSMImage_File(TW_SETUPFILEXFER *, TW_UINT32 mode) {
    Log("GetSMImage_File(%u)", mode);
    return SM_FAILED;
}

SM_EXPORT TW_INT16 GetSMImage_DIB(HGLOBAL *) {
    Log("GetSMImage_DIB");
    return SM_FAILED;
}

SM_EXPORT TW_UINT16 CheckScanJob() {
    Log("CheckScanJob");
    return gState.jobImagesLeft;
}
