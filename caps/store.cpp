#include "store.h"

#include "win32.h"

// Values at module load: current equals default.
TW_INT16 gXferCountDefault = 0, gXferCount = 0;
TW_UINT16 gFeederEnabledDefault = 0, gFeederEnabled = 0;
TW_UINT16 gReflectiveDefault = 0, gReflective = 0;
TW_UINT16 gAutoBrightDefault = 0, gAutoBright = 0;
TW_INT16 gBrightnessDefault = 0, gBrightness = 0;
TW_INT16 gContrastDefault = 0, gContrast = 0;
TW_UINT16 gCompressionDefault = TWCP_NONE, gCompression = TWCP_NONE;
TW_UINT16 gPixelTypeDefault = TWPT_RGB, gPixelType = TWPT_RGB;
TW_UINT16 gUnitsDefault = TWUN_INCHES, gUnits = TWUN_INCHES;
TW_UINT16 gXferMechDefault = TWSX_MEMORY, gXferMech = TWSX_MEMORY;
TW_UINT16 gFileFormatDefault = 0, gFileFormat = TWFF_TIFF;
TW_UINT16 gLightPathDefault = TWLP_REFLECTIVE, gLightPath = TWLP_REFLECTIVE;
TW_UINT16 gPixelFlavorDefault = TWPF_CHOCOLATE, gPixelFlavor = TWPF_CHOCOLATE;
TW_UINT16 gPlanarChunkyDefault = TWPC_CHUNKY, gPlanarChunky = TWPC_CHUNKY;
TW_UINT16 gSupportedSizeDefault = TWSS_NONE, gSupportedSize = TWSS_NONE;
TW_UINT16 gJpegPixelTypeDefault = TWPT_RGB, gJpegPixelType = TWPT_RGB;
TW_UINT16 gBitOrderDefault = TWBO_MSBFIRST, gBitOrder = TWBO_MSBFIRST;
TW_UINT16 gResolutionDefault = 4, gResolution = 4;  // 200 dpi
TW_UINT16 gIndicatorsDefault = TRUE, gIndicators = TRUE;

const TW_FIX32 ResolutionList[RESOLUTION_COUNT] = {
    {36, 0},  {72, 0},  {100, 0}, {150, 0}, {200, 0}, {250, 0}, {300, 0},  {350, 0},  {400, 0},
    {450, 0}, {500, 0}, {600, 0}, {700, 0}, {800, 0}, {900, 0}, {1000, 0}, {1200, 0},
};

const TW_UINT16 FileFormatList[2] = {TWFF_TIFF, TWFF_BMP};

int FindResolution(TW_INT16 dpi) {
    for (int position = 0; position < RESOLUTION_COUNT; ++position)
        if (ResolutionList[position].Whole == dpi) return position;
    return -1;
}

TW_UINT16 ResolutionDpi(TW_UINT16 resolution) {
    if (resolution < RESOLUTION_COUNT) return (TW_UINT16)ResolutionList[resolution].Whole;
    return resolution;
}

void ResetCurrentValues() {
    gXferCount = gXferCountDefault;
    gFeederEnabled = gFeederEnabledDefault;
    gReflective = gReflectiveDefault;
    gAutoBright = gAutoBrightDefault;
    gBrightness = gBrightnessDefault;
    gContrast = gContrastDefault;
    gCompression = gCompressionDefault;
    gPixelType = gPixelTypeDefault;
    gUnits = gUnitsDefault;
    gXferMech = gXferMechDefault;
    // The default is kept as a list position, the current value as TWFF_.
    gFileFormat = gFileFormatDefault < 2 ? FileFormatList[gFileFormatDefault] : gFileFormatDefault;
    gLightPath = gLightPathDefault;
    gPixelFlavor = gPixelFlavorDefault;
    gPlanarChunky = gPlanarChunkyDefault;
    gSupportedSize = gSupportedSizeDefault;
    gJpegPixelType = gJpegPixelTypeDefault;
    gBitOrder = gBitOrderDefault;
    gResolution = gResolutionDefault;
    gIndicators = gIndicatorsDefault;
}

void ApplyTwain24Defaults() {
    gXferCountDefault = -1;
    gXferMechDefault = TWSX_NATIVE;
    gUnitsDefault = TWUN_INCHES;
    gCompressionDefault = TWCP_NONE;
    gPixelFlavorDefault = TWPF_CHOCOLATE;
    gAutoBrightDefault = FALSE;
    gBrightnessDefault = 0;
    gContrastDefault = 0;
    gIndicatorsDefault = TRUE;
}
