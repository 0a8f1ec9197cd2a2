#include "scanner_settings.h"

#include "image_layout.h"
#include "startup/protocol.h"
#include "startup/scan_module.h"
#include "store.h"

ScanSettings gScannerDefaults;
static ScanSettings gScannerRequest;  // what SetDefValue received last

void ReadScannerSettings() { ScanModuleOps.GetDefValue(&gScannerDefaults); }

void LoadScannerDefaults() {
    ReadScannerSettings();
    gCompressionDefault = gScannerDefaults.Compression;
    gFeederEnabledDefault = gScannerDefaults.FeederEnabled;
    gAutoBrightDefault = gScannerDefaults.AutoBright;
    gReflectiveDefault = gScannerDefaults.Reflective;
    gPixelTypeDefault = gScannerDefaults.PixelType;
    gPixelFlavorDefault = gScannerDefaults.PixelFlavor;
    gSupportedSizeDefault = gScannerDefaults.SupportedSize;
    gJpegPixelTypeDefault = gScannerDefaults.JpegPixelType;
    // A resolution outside the list leaves the default where it was.
    int position = FindResolution((TW_INT16)gScannerDefaults.Resolution);
    if (position >= 0) gResolutionDefault = (TW_UINT16)position;
    if (SpeaksTwain24()) ApplyTwain24Defaults();
}

void AdoptScannerSettings() {
    ReadScannerSettings();
    gCompression = gScannerDefaults.Compression;
    gFeederEnabled = gScannerDefaults.FeederEnabled;
    gAutoBright = gScannerDefaults.AutoBright;
    gReflective = gScannerDefaults.Reflective;
    gPixelType = gScannerDefaults.PixelType;
    gPixelFlavor = gScannerDefaults.PixelFlavor;
    gSupportedSize = gScannerDefaults.SupportedSize;
    gJpegPixelType = gScannerDefaults.JpegPixelType;
    int position = FindResolution((TW_INT16)gScannerDefaults.Resolution);
    if (position >= 0) gResolution = (TW_UINT16)position;
}

void SendScannerSettings() {
    gScannerRequest.FeederPresent = 0;
    gScannerRequest.Compression = gCompression;
    gScannerRequest.FeederEnabled = gFeederEnabled;
    gScannerRequest.FeederLoaded = 0;
    gScannerRequest.AutoBright = gAutoBright;
    gScannerRequest.Reflective = gReflective;
    gScannerRequest.PixelType = gPixelType;
    gScannerRequest.PixelFlavor = gPixelFlavor;
    gScannerRequest.SupportedSize = gSupportedSize;
    gScannerRequest.JpegPixelType = gJpegPixelType;
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
