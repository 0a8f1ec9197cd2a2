// A scriptable scan module for the data source's tests: every operation does
// what the test set up and leaves a trace in the call log.
#ifndef QR_TESTS_FAKE_SCAN_MODULE_H
#define QR_TESTS_FAKE_SCAN_MODULE_H

#include "scanmodule.h"

struct FakeScanModuleState {
    // Answers
    char productName[64];
    char manufacturer[64];
    char productFamily[64];
    char versionInfo[64];
    TW_UINT16 majorNum, minorNum;
    int connectResult;        // ConnectScanner(0)
    int feederPaperResult;    // ConnectScanner(1)
    ScanSettings defaults;    // what GetDefValue reports
    BOOL openUIFails;         // OpenSMUI answers 0
    BOOL openUIAnnounces;     // OpenSMUI calls ReadytoScan(announceFlag) as the dialog opens
    int noUIResult;           // NoUItoXferImage's result
    BOOL noUIAnnounces;       // NoUItoXferImage calls ReadytoScan first
    TW_UINT32 announceFlag;   // the flag it passes
    TW_IMAGEINFO imageInfo;   // what UpdateImageInfo reports
    TW_UINT16 jobImagesLeft;  // CheckScanJob

    // The optional operations (the complete module only)
    TW_UINT16 opticalDpi;  // GetOpticalResolution, across and along
    TW_UINT32 glassWidthMils, glassHeightMils;
    int online;  // IsDeviceOnline

    // Blocks of an image of open length (GetSMImage_Buf during reception)
    TW_UINT32 blockKilobytes;  // what CkUseBufXfer reports
    int blockRows[256];        // rows in each block, in order
    int blockCount;
    int uniformBlocks;  // when nonzero, that many blocks of uniformRows rows replace blockRows
    int uniformRows;
    TW_UINT32 blockSlack;  // bytes each block holds past its rows (0xEE), counted in BytesWritten
    int freezeAtBlock;     // when nonzero, the process stops itself (SIGSTOP) at this block
    int stopAtBlock;       // index of the block answered with stopStatus; -1 none
    TW_INT16 stopStatus;
    TW_UINT32 firstBlockBytes;  // when nonzero, BytesWritten claimed for block 0
    TW_UINT32 rowBytesClaimed;  // when nonzero, the BytesPerRow every block claims, its bytes counted by it
    int blocksDelivered;

    // Images of known length, delivered directly. GetSMImage_Buf then fills
    // each strip's Memory.Length with whole rows (stopAtBlock counts strips).
    TW_UINT32 rowsDelivered;
    TW_UINT32 lastStripLength;    // the Memory.Length of the last request
    TW_UINT32 stripBytesClaimed;  // when nonzero, the BytesWritten every strip claims
    TW_INT16 dibStatus;           // GetSMImage_DIB's answer; it makes a bitmap whatever the answer
    BOOL dibWithoutBitmap;        // GetSMImage_DIB answers without storing a handle
    BOOL deliversFiles;           // CkUseBufXfer answers 0: memory transfers come as a file
    TW_INT16 fileStatus;          // GetSMImage_File's answer
    TW_UINT32 fileShortBy;        // mode 0: the image data ends this many bytes early
    BOOL fileWithoutOffsets;      // mode 0: no StripOffsets entry
    char lastFileName[256];       // the set-up GetSMImage_File received
    TW_UINT16 lastFileFormat;

    // What happened
    char log[4096];  // "Op Op(arg) ..." in call order
    int setDefValueCalls;
    ScanSettings lastRequest;  // what SetDefValue received last
    HWND uiWindow;             // the window OpenSMUI made
    HWND uiParent;
};

// The test pattern: byte `column` of image row `row`. Deterministic and
// different for neighbouring rows and bytes, so a misplaced row or byte shows.
inline TW_UINT8 PatternByte(TW_UINT32 row, TW_UINT32 column) { return (TW_UINT8)(row * 31 + column * 7 + 3); }

// What GetSMImage_File(mode 1) writes: the format and the image's size, so a
// test sees that the scan module, not the data source, wrote the file.
#define FAKESM_FILE_TEXT "fake scan module file, format %u, %d x %d\n"

typedef FakeScanModuleState *(*FakeSM_StateProc)(void);
// Resets the answers to a working scanner and clears the log.
typedef void (*FakeSM_ResetProc)(void);

#endif
