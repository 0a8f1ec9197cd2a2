// The three ways an image travels from the data source, each ending in a
// saved file. Each returns a QrScanExit: QRSCAN_OK with the file written,
// QRSCAN_CANCELLED (by the source, or by Ctrl-C) with no file left,
// QRSCAN_TWAIN_FAILURE or QRSCAN_IO_ERROR with the reason in page->error
// (or in the session's lastError when it is a triplet's failure).
#ifndef QR_QRSCAN_TRANSFERS_H
#define QR_QRSCAN_TRANSFERS_H

#include <string>

#include "qrscan_options.h"
#include "raster_image.h"
#include "twain_session.h"

struct PageJob {
    TwainSession *session;
    const QrScanOptions *options;
    int page;                // from 1
    std::string outputName;  // this page's file
    TW_IMAGEINFO info;       // as DAT_IMAGEINFO described it
    std::string error;       // a sentence when the page failed outside a triplet
    bool tripletFailed;      // the failure is in session->lastError
};

int TransferNative(PageJob *job);
int TransferMemory(PageJob *job);
int TransferFile(PageJob *job);

// Saves an assembled image in the format the options ask for.
int SaveRaster(PageJob *job, const RasterImage &image);

// The value a failed triplet leaves for the caller to report.
inline int TripletFailure(PageJob *job) {
    job->tripletFailed = true;
    return QRSCAN_TWAIN_FAILURE;
}

#endif
