// The benchmarks' scan module: a scanner that costs nothing. Every block,
// strip, bitmap and file it hands over is copied with memcpy from rows it
// made once, when it was told the image, so that what a benchmark times is
// the data source's work and not the scanner's.
#ifndef QR_BENCH_SCAN_MODULE_H
#define QR_BENCH_SCAN_MODULE_H

#include "scanmodule.h"

// The image the scanner delivers next, and how.
struct BenchImage {
    TW_INT32 width;   // pixels, as scanned
    TW_INT32 length;  // lines, as scanned
    TW_INT16 bits;    // 1, 8 or 24
    TW_INT16 scannedDpi;
    TW_UINT16 requestedDpi;  // above 300 and above scannedDpi: the data source enlarges
    BOOL openLength;         // announced with length -1: received into the queue first
    BOOL deliversFiles;      // memory transfers of a known length come as a file
    TW_UINT32 blockKilobytes;
};

// Rows of the pattern; row r of the image is pattern row r % kPatternRows.
enum { kPatternRows = 61 };

// Byte `column` of pattern row `row`, as scanned (red, green, blue).
inline TW_UINT8 BenchPatternByte(TW_UINT32 row, TW_UINT32 column) {
    return (TW_UINT8)(row * 29 + column * 13 + (column >> 7) + 5);
}

// Sets the next image and makes its rows; FALSE when they cannot be had.
typedef BOOL (*BenchSM_SetImageProc)(const BenchImage *image);
// Bytes the scanner has copied out since the image was set.
typedef unsigned long long (*BenchSM_BytesDeliveredProc)(void);

#endif
