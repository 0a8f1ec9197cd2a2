#include "scanner_settings.h"

#include "cap_handlers.h"
#include "image_layout.h"
#include "startup/protocol.h"
#include "startup/scan_module.h"
#include "store.h"

ScanSettings gScannerDefaults;
static ScanSettings gScannerRequest;  // what SetDefValue received last

void ReadScannerSettings() { ScanModuleOps.GetDefValue(&gScannerDefaults); }

namespace {

// The settings the scanner reports that become a capability's value: the
// field, the default it sets, and the current value it sets when the
// scanner's dialog has the last word and that goes back to the scanner.
struct ReportedSetting {
    TW_UINT16 ScanSettings::*field;
    TW_UINT16 *fallback;
    TW_UINT16 *current;
};

const ReportedSetting kReported[] = {
    {&ScanSettings::Compression, &gCompressionDefault, &gCompression},
    {&ScanSettings::FeederEnabled, &gFeederEnabledDefault, &gFeederEnabled},
    {&ScanSettings::AutoBright, &gAutoBrightDefault, &gAutoBright},
    {&ScanSettings::Reflective, &gReflectiveDefault, &gReflective},
    {&ScanSettings::PixelType, &gPixelTypeDefault, &gPixelType},
    {&ScanSettings::PixelFlavor, &gPixelFlavorDefault, &gPixelFlavor},
    {&ScanSettings::SupportedSize, &gSupportedSizeDefault, &gSupportedSize},
    {&ScanSettings::JpegPixelType, &gJpegPixelTypeDefault, &gJpegPixelType},
};

// Reads the scanner's settings and takes them as the defaults or as the
// current values. A resolution outside the list leaves its value where it was.
void TakeScannerSettings(bool asDefaults) {
    ReadScannerSettings();
    for (const ReportedSetting &setting : kReported)
        *(asDefaults ? setting.fallback : setting.current) = gScannerDefaults.*setting.field;
    int position = FindResolution((TW_INT16)gScannerDefaults.Resolution);
    if (position >= 0) *(asDefaults ? &gResolutionDefault : &gResolution) = (TW_UINT16)position;
}

}  // namespace

void LoadScannerDefaults() {
    TakeScannerSettings(true);
    if (!SpeaksTwain24()) return;
    ApplyTwain24Defaults();
    // Before the current values are reset from the defaults: the light path
    // the open hands out must be the one MSG_GETDEFAULT reports. (A 1.5
    // source has always derived it only when asked.)
    DeriveLightPathDefault();
}

void AdoptScannerSettings() { TakeScannerSettings(false); }

void SendScannerSettings() {
    for (const ReportedSetting &setting : kReported) gScannerRequest.*setting.field = *setting.current;
    gScannerRequest.FeederPresent = 0;
    gScannerRequest.FeederLoaded = 0;
    gScannerRequest.Resolution = ResolutionDpi(gResolution);
    gScannerRequest.Frame[0] = gImageLayout.Frame.Left;
    gScannerRequest.Frame[1] = gImageLayout.Frame.Top;
    gScannerRequest.Frame[2] = gImageLayout.Frame.Right;
    gScannerRequest.Frame[3] = gImageLayout.Frame.Bottom;
    gScannerRequest.Brightness = (TW_INT16)gBrightness;
    gScannerRequest.Contrast = (TW_INT16)gContrast;
    gScannerRequest.Units = gUnits;
    ScanModuleOps.SetDefValue(&gScannerRequest);
}
