// The fourteen operations the data source binds by name, and the three
// optional ones that describe the scanner. Each one the data
// source calls notes its caller first, so the callbacks are found in the data
// source that actually uses the module.
#include <string.h>

#include "scanmodule.h"
#include "sim_callbacks.h"
#include "sim_dialog.h"
#include "sim_scanner.h"
#include "sim_transfer.h"

namespace {

// The caller's buffers hold 36 bytes; the texts are at most 33 characters.
void CopyText(char *out, const char *text) {
    if (!out) return;
    size_t kept = strnlen(text, SIM_TEXT_SIZE - 1);
    memcpy(out, text, kept);
    memset(out + kept, 0, SIM_TEXT_SIZE - kept);
}

}  // namespace

QR_EXPORT int SM_API GetProductName(char *productName, TW_UINT16 language, TW_UINT16 *majorNum, TW_UINT16 *minorNum,
                                    char *manufacturer, char *productFamily, char *versionInfo) {
    SIM_NOTE_CALLER();
    (void)language;  // the texts exist in one language
    SimReloadConfig();
    CopyText(productName, gSimConfig.productName);
    CopyText(manufacturer, gSimConfig.manufacturer);
    CopyText(productFamily, gSimConfig.productFamily);
    CopyText(versionInfo, gSimConfig.versionInfo);
    if (majorNum) *majorNum = gSimConfig.majorVersion;
    if (minorNum) *minorNum = gSimConfig.minorVersion;
    return 1;
}

// Mode 0: is the scanner there (a new session starts from the configured
// settings); mode 1: is there paper in the feeder.
QR_EXPORT int SM_API ConnectScanner(TW_UINT32 mode) {
    SIM_NOTE_CALLER();
    if (mode == 0) {
        SimResetScanner();
        return gSimConfig.connects;
    }
    SimEnsureConfigured();
    return mode == 1 && SimFeederLoaded();
}

QR_EXPORT int SM_API GetDefValue(ScanSettings *settings) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    if (!settings) return 0;
    SimReportSettings(settings);
    return 1;
}

QR_EXPORT int SM_API SetDefValue(ScanSettings *settings) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    if (!settings) return 0;
    SimAcceptSettings(settings);
    SimRefreshDialog();
    return 1;
}

QR_EXPORT HWND SM_API OpenSMUI(HWND parent) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    return SimOpenDialog(parent);
}

// Blocks of BlockKB, except that with FileMode a memory transfer of known
// length is delivered as a file (0). Images of open length always come in
// blocks: the data source pulls them before anyone could ask for a file.
QR_EXPORT int SM_API CkUseBufXfer(TW_UINT32 *blockKilobytes) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    if (blockKilobytes) *blockKilobytes = gSimConfig.blockKB;
    return gSimConfig.fileMode && !gSimConfig.unknownLength ? 0 : 1;
}

QR_EXPORT int SM_API UpdateImageInfo(TW_IMAGEINFO *info) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    const SimImage *image = SimDescribeNextImage();
    if (!info || !image) return 0;
    SimFillImageInfo(*image, info);
    return 1;
}

// The scanner's own scan button is not wired to anything.
QR_EXPORT int SM_API Button_Scan(void) { return 0; }

QR_EXPORT TW_INT16 SM_API GetSMImage_Buf(TW_IMAGEMEMXFER *request, void *buffer) {
    SIM_NOTE_CALLER();
    return SimDeliverStrip(request, buffer);
}

QR_EXPORT TW_INT16 SM_API GetSMImage_File(TW_SETUPFILEXFER *setup, TW_UINT32 mode) {
    SIM_NOTE_CALLER();
    return SimDeliverFile(setup, mode);
}

QR_EXPORT TW_INT16 SM_API GetSMImage_DIB(HGLOBAL *dib) {
    SIM_NOTE_CALLER();
    return SimDeliverDib(dib);
}

QR_EXPORT int SM_API CloseSMUI(void) {
    SIM_NOTE_CALLER();
    SimCloseDialog();
    return 1;
}

// Scans at once: the job starts and the first page is announced before the
// call returns.
QR_EXPORT int SM_API NoUItoXferImage(HWND parent) {
    SIM_NOTE_CALLER();
    (void)parent;
    SimEnsureConfigured();
    SimStartJob();
    if (SimAnnounceImage()) return 1;
    SimAbandonJob();
    return 0;
}

QR_EXPORT int SM_API GetOpticalResolution(TW_UINT16 *xDpi, TW_UINT16 *yDpi) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    if (!xDpi || !yDpi) return 0;
    SimOpticalResolution(xDpi);
    *yDpi = *xDpi;
    return 1;
}

QR_EXPORT int SM_API GetGlassSize(TW_UINT32 *widthMils, TW_UINT32 *heightMils) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    if (!widthMils || !heightMils) return 0;
    SimGlassSize(widthMils, heightMils);
    return 1;
}

QR_EXPORT int SM_API IsDeviceOnline(void) {
    SIM_NOTE_CALLER();
    SimEnsureConfigured();
    return SimDeviceOnline();
}

QR_EXPORT TW_UINT16 SM_API CheckScanJob(void) {
    SIM_NOTE_CALLER();
    int left = SimPagesLeft();
    return (TW_UINT16)(left > 0 ? left : 0);
}
