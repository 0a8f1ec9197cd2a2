// qrscan's command line.
#ifndef QR_QRSCAN_OPTIONS_H
#define QR_QRSCAN_OPTIONS_H

#include <stdio.h>

#include <string>

// What a script can rely on.
enum QrScanExit {
    QRSCAN_OK = 0,
    QRSCAN_USAGE = 1,
    QRSCAN_TWAIN_FAILURE = 2,
    QRSCAN_CANCELLED = 3,
    QRSCAN_IO_ERROR = 4,
};

struct QrScanOptions {
    bool help = false;
    bool list = false;
    bool showUI = false;
    bool verbose = false;
    std::string source;  // ProductName; empty: the first source
    int timeoutSeconds = 60;
};

// FALSE with a sentence in *error for a command line that cannot be used.
bool ParseOptions(int argc, char **argv, QrScanOptions *options, std::string *error);
void PrintUsage(FILE *out);

#endif
