// The simulator's settings: section [Simulator] of QRVM.INI in the scan
// module's own folder. Every key is optional; README.md lists them.
#ifndef QR_SIM_CONFIG_H
#define QR_SIM_CONFIG_H

#include <stdint.h>

#include "twain.h"

enum SimPattern {
    SIM_PATTERN_RAMP,  // a different value in every row, column and channel
    SIM_PATTERN_BARS,  // eight vertical colour bars
    SIM_PATTERN_WHITE,
    SIM_PATTERN_BLACK,
};

// A file delivery that goes wrong on purpose, for trying the data source's
// handling of a scan module's bad files. The operation still reports success.
enum SimFileFault {
    SIM_FILE_FAULT_NONE,
    SIM_FILE_FAULT_SHORT,      // only the first half of the rows is written
    SIM_FILE_FAULT_MISSING,    // no file is written at all
    SIM_FILE_FAULT_NO_OFFSET,  // a TIFF without its StripOffsets entry
    SIM_FILE_FAULT_BAD_COUNT,  // a TIFF whose entry count says 65535
};

#define SIM_TEXT_SIZE 34  // 33 characters and the terminating zero

struct SimConfig {
    char productName[SIM_TEXT_SIZE];
    char manufacturer[SIM_TEXT_SIZE];
    char productFamily[SIM_TEXT_SIZE];
    char versionInfo[SIM_TEXT_SIZE];
    TW_UINT16 majorVersion;
    TW_UINT16 minorVersion;
    bool connects;  // ConnectScanner(0) succeeds
    bool feederPresent;
    bool feederEnabled;
    bool feederLoaded;
    bool feederRefill;  // the feeder never runs empty: an operator keeps it full
    int pagesPerJob;
    TW_UINT16 resolution;  // dpi of a fresh session
    TW_UINT16 maxResolution;
    TW_UINT16 pixelType;   // TWPT_BW, TWPT_GRAY or TWPT_RGB
    int grayBits;          // 4 or 8: the depth of grey images
    int32_t bedWidthMils;  // the glass, in thousandths of an inch
    int32_t bedHeightMils;
    TW_UINT32 blockKB;
    SimPattern pattern;
    bool unknownLength;           // announce ImageLength -1, deliver in blocks
    TW_UINT16 opticalResolution;  // 0: scans at any resolution asked
    int cancelAtBlock;            // 0: never
    int failAtBlock;              // 0: never
    int faultPage;                // the page (from 1) they strike; 0: every page
    bool fileMode;                // memory transfers of known length go through a file
    bool autoScan;                // the dialog presses Scan itself whenever it is shown
    SimFileFault fileFault;
    char profile[SIM_TEXT_SIZE];  // the Profile key as written; empty: none
    bool profileKnown;            // it names one of the profiles
    TW_UINT16 autoBright;
    TW_UINT16 reflective;
    TW_UINT16 pixelFlavor;
    TW_UINT16 supportedSize;
    TW_UINT16 jpegPixelType;
};

extern SimConfig gSimConfig;

// The built-in values, used for every key the file does not give.
void SimDefaultConfig(SimConfig *config);
// Reads `iniPath` over the built-in values. A missing file gives the defaults.
void SimReadConfig(const char *iniPath, SimConfig *config);
// "8.5" -> 8500; FALSE for anything that is not a plain positive decimal.
bool SimParseMils(const char *text, int32_t *mils);

#endif
