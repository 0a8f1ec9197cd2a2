#include "sim_scanner.h"

#include <stddef.h>
#include <string.h>

#include "sim_module.h"

ScanSettings gSimSettings;
SimJob gSimJob;

namespace {

bool gConfigured = false;

bool IsPixelType(TW_UINT16 type) { return type == TWPT_BW || type == TWPT_GRAY || type == TWPT_RGB; }

void DefaultSettings(const SimConfig &config, ScanSettings *settings) {
    memset(settings, 0, sizeof *settings);
    settings->FeederPresent = config.feederPresent;
    settings->Compression = TWCP_NONE;
    settings->FeederEnabled = config.feederEnabled;
    settings->FeederLoaded = config.feederLoaded;
    settings->AutoBright = config.autoBright;
    settings->Reflective = config.reflective;
    settings->PixelType = config.pixelType;
    settings->PixelFlavor = config.pixelFlavor;
    settings->SupportedSize = config.supportedSize;
    settings->JpegPixelType = config.jpegPixelType;
    settings->Resolution = config.resolution;
    settings->Units = TWUN_INCHES;
}

TW_UINT16 ClampResolution(TW_UINT16 dpi, TW_UINT16 current) {
    if (dpi == 0) return current;
    if (dpi < 36) return 36;
    return dpi > gSimConfig.maxResolution ? gSimConfig.maxResolution : dpi;
}

}  // namespace

void SimReloadConfig() {
    if (!gConfigured) {
        SimResetScanner();
        return;
    }
    char ini[MAX_PATH * 4];
    SimReadConfig(SimIniPath(ini, sizeof ini) ? ini : nullptr, &gSimConfig);
}

void SimResetScanner() {
    char ini[MAX_PATH * 4];
    SimReadConfig(SimIniPath(ini, sizeof ini) ? ini : nullptr, &gSimConfig);
    DefaultSettings(gSimConfig, &gSimSettings);
    memset(&gSimJob, 0, sizeof gSimJob);
    gConfigured = true;
}

void SimEnsureConfigured() {
    if (!gConfigured) SimResetScanner();
}

bool SimFeederLoaded() {
    if (!gSimConfig.feederLoaded) return false;
    if (gSimConfig.feederRefill) return true;
    // The feeder holds one job's sheets; it is empty once they are scanned.
    return !gSimJob.active || !gSimJob.fromFeeder || gSimJob.pagesDone < gSimJob.pagesTotal;
}

// The sensor: OpticalResolution when the configuration names one, else the
// highest resolution it scans at.
void SimOpticalResolution(TW_UINT16 *dpi) {
    *dpi = gSimConfig.opticalResolution ? gSimConfig.opticalResolution : gSimConfig.maxResolution;
}

void SimGlassSize(TW_UINT32 *widthMils, TW_UINT32 *heightMils) {
    *widthMils = (TW_UINT32)gSimConfig.bedWidthMils;
    *heightMils = (TW_UINT32)gSimConfig.bedHeightMils;
}

bool SimDeviceOnline() { return gSimConfig.connects; }

void SimReportSettings(ScanSettings *out) {
    // Only the first 22 bytes belong to this call.
    ScanSettings report = gSimSettings;
    report.FeederPresent = gSimConfig.feederPresent;
    report.FeederLoaded = SimFeederLoaded();
    memcpy(out, &report, offsetof(ScanSettings, Frame));
}

void SimAcceptSettings(const ScanSettings *in) {
    ScanSettings &s = gSimSettings;
    // Feeder presence and paper are facts of the hardware, not settings.
    s.FeederEnabled = gSimConfig.feederPresent && in->FeederEnabled;
    s.AutoBright = in->AutoBright != 0;
    s.Reflective = in->Reflective != 0;
    if (IsPixelType(in->PixelType)) s.PixelType = in->PixelType;
    if (in->PixelFlavor == TWPF_CHOCOLATE || in->PixelFlavor == TWPF_VANILLA) s.PixelFlavor = in->PixelFlavor;
    s.SupportedSize = in->SupportedSize;
    if (IsPixelType(in->JpegPixelType)) s.JpegPixelType = in->JpegPixelType;
    s.Resolution = ClampResolution(in->Resolution, s.Resolution);
    memcpy(s.Frame, in->Frame, sizeof s.Frame);
    s.Brightness = in->Brightness;
    s.Contrast = in->Contrast;
    s.Units = in->Units;
    // Only uncompressed images are made.
    s.Compression = TWCP_NONE;
}

void SimStartJob() {
    memset(&gSimJob, 0, sizeof gSimJob);
    gSimJob.active = true;
    // With its feeder turned off a feeder scanner scans its glass.
    bool glass = gSimConfig.feederPresent && !gSimSettings.FeederEnabled;
    gSimJob.fromFeeder = gSimConfig.feederPresent && !glass;
    gSimJob.pagesTotal = glass ? 1 : gSimConfig.pagesPerJob;
}

void SimAbandonJob() { memset(&gSimJob, 0, sizeof gSimJob); }

int SimPagesLeft() { return gSimJob.active ? gSimJob.pagesTotal - gSimJob.pagesDone : 0; }

const SimImage *SimDescribeNextImage() {
    if (SimPagesLeft() <= 0) return nullptr;
    SimComputeImage(gSimConfig, gSimSettings, gSimJob.pagesDone, &gSimJob.image);
    gSimJob.described = true;
    gSimJob.rowsSent = 0;
    gSimJob.blocksSent = 0;
    return &gSimJob.image;
}

const SimImage *SimCurrentImage() {
    if (SimPagesLeft() <= 0) return nullptr;
    return gSimJob.described ? &gSimJob.image : SimDescribeNextImage();
}

void SimPageDelivered() {
    gSimJob.pagesDone += 1;
    gSimJob.described = false;
    gSimJob.rowsSent = 0;
    gSimJob.blocksSent = 0;
}

TW_INT16 SimCountBlock() {
    gSimJob.blocksSent += 1;
    TW_INT16 status = SM_MORE;
    bool faultyPage = gSimConfig.faultPage == 0 || gSimConfig.faultPage == gSimJob.pagesDone + 1;
    if (faultyPage && gSimConfig.cancelAtBlock == gSimJob.blocksSent) status = SM_CANCELLED;
    if (faultyPage && gSimConfig.failAtBlock == gSimJob.blocksSent) status = SM_FAILED;
    // A cancelled or failed scan ends the job: the paper is out of the way.
    if (status != SM_MORE) SimAbandonJob();
    return status;
}
