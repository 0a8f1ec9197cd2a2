// The fuzz scan module: a scan module whose every answer (image information,
// block sizes, rows, statuses, file contents) comes from the fuzz input. The
// data source loads it like any scan module, through QRVM.INI; the fuzz
// target loads the same instance first and tells it what to answer.
#ifndef QR_FUZZ_SCAN_MODULE_H
#define QR_FUZZ_SCAN_MODULE_H

#include "fuzz_input.h"
#include "scanmodule.h"

struct FuzzScanScript {
    FuzzInput *answers;  // read in the order the data source asks
    // When set, the memory transfer's file (GetSMImage_File, mode 0) holds
    // exactly these bytes, CkUseBufXfer asks for the file, and
    // UpdateImageInfo answers `info`.
    const uint8_t *scanFile;
    size_t scanFileSize;
    TW_IMAGEINFO info;
};

// Starts answering from `script` (copied; its pointers stay the caller's);
// null stops, and every answer is then the quiet default. Also forgets the
// counts of the image before.
typedef void (*FuzzSM_StartProc)(const FuzzScanScript *script);
// The scan module's dialog window, or null.
typedef HWND (*FuzzSM_WindowProc)(void);

#endif
