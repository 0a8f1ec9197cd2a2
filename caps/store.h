// The capability store: one default/current pair of 16-bit values per
// negotiable capability, and the item lists of the enumerated ones.
#ifndef QR_CAPS_STORE_H
#define QR_CAPS_STORE_H

#include "twain.h"

extern TW_INT16 gXferCountDefault, gXferCount;
extern TW_UINT16 gFeederEnabledDefault, gFeederEnabled;
extern TW_UINT16 gReflectiveDefault, gReflective;
extern TW_UINT16 gAutoBrightDefault, gAutoBright;
extern TW_INT16 gBrightnessDefault, gBrightness;
extern TW_INT16 gContrastDefault, gContrast;
extern TW_UINT16 gCompressionDefault, gCompression;
extern TW_UINT16 gPixelTypeDefault, gPixelType;
extern TW_UINT16 gUnitsDefault, gUnits;
extern TW_UINT16 gXferMechDefault, gXferMech;
extern TW_UINT16 gFileFormatDefault;  // position in FileFormatList
extern TW_UINT16 gFileFormat;         // TWFF_ value
extern TW_UINT16 gLightPathDefault, gLightPath;
extern TW_UINT16 gPixelFlavorDefault, gPixelFlavor;
extern TW_UINT16 gPlanarChunkyDefault, gPlanarChunky;
extern TW_UINT16 gSupportedSizeDefault, gSupportedSize;
extern TW_UINT16 gJpegPixelTypeDefault, gJpegPixelType;
extern TW_UINT16 gBitOrderDefault, gBitOrder;
extern TW_UINT16 gResolutionDefault, gResolution;  // positions in ResolutionList
// TWAIN 2.4 only (CAP_INDICATORS): whether transfers show their progress
// dialog. A 1.5 source always shows it.
extern TW_UINT16 gIndicatorsDefault, gIndicators;

// The head of an enumeration without its list.
struct EnumDescriptor {
    TW_UINT16 ItemType;
    TW_UINT32 NumItems;
    TW_UINT32 CurrentIndex;
    TW_UINT32 DefaultIndex;
};

enum { RESOLUTION_COUNT = 17 };
extern const TW_FIX32 ResolutionList[RESOLUTION_COUNT];
extern const TW_UINT16 FileFormatList[2];

// Position of `dpi` in ResolutionList, or -1.
int FindResolution(TW_INT16 dpi);
// The dpi a resolution value stands for: a position below 17 names a list
// entry; a larger value is a resolution in dpi itself.
TW_UINT16 ResolutionDpi(TW_UINT16 resolution);

// Every current value back to its default.
void ResetCurrentValues();
// The defaults TWAIN 2.4 gives where the scanner's settings give none, or
// none a 2.4 application may rely on: all images (-1), native transfers,
// inches, no compression, black as 0, no automatic brightness, the progress
// dialog shown.
void ApplyTwain24Defaults();

#endif
