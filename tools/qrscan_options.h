// qrscan's command line.
#ifndef QR_QRSCAN_OPTIONS_H
#define QR_QRSCAN_OPTIONS_H

#include <stdio.h>

#include <string>
#include <vector>

// What a script can rely on.
enum QrScanExit {
    QRSCAN_OK = 0,
    QRSCAN_USAGE = 1,
    QRSCAN_TWAIN_FAILURE = 2,
    QRSCAN_CANCELLED = 3,
    QRSCAN_IO_ERROR = 4,
};

enum QrXfer { QRXFER_NATIVE, QRXFER_MEMORY, QRXFER_FILE };
enum QrFormat { QRFORMAT_BMP, QRFORMAT_TIFF };

struct QrScanOptions {
    bool help = false;
    bool list = false;
    bool listCaps = false;
    bool showUI = false;
    bool verbose = false;
    bool trace = false;
    bool batch = false;
    bool progress = false;
    std::string source;  // ProductName; empty: the first source
    int timeoutSeconds = 60;
    QrXfer xfer = QRXFER_NATIVE;
    QrFormat format = QRFORMAT_BMP;
    std::string output;             // empty: the image is described and dropped
    std::vector<std::string> sets;  // "CAP=VALUE", in the order given
};

// FALSE with a sentence in *error for a command line that cannot be used.
bool ParseOptions(int argc, char **argv, QrScanOptions *options, std::string *error);
void PrintUsage(FILE *out);

#endif
