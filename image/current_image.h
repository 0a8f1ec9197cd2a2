// The image the application will get, in one record: where it is, and how
// far it went. Reception fills it when the scan module announces an image;
// the reader (image_reader.h) walks it for every transfer; the session gives
// it up at the end of a transfer, a reset or a close.
#ifndef QR_IMAGE_CURRENT_IMAGE_H
#define QR_IMAGE_CURRENT_IMAGE_H

#include "image_status.h"
#include "win32.h"

// Where the image lies.
enum class ImageWhere : TW_UINT8 {
    None,           // no image, or it was given up
    ScanModule,     // with the scan module, which delivers it in the form each transfer asks for
    Queue,          // received whole into the queue and the spool file
    QueueEnlarged,  // the same, enlarged by replication on the way out
};

// How far it went.
enum class ImageOutcome : TW_UINT8 {
    Received,         // whole, and no transfer has taken any of it
    ReceptionFailed,  // reception stopped: only what arrived before lies in the queue
    Reading,          // a memory transfer has taken part of it
    Gone,             // taken whole, or given up
};

struct CurrentImage {
    ImageWhere where;
    ImageOutcome outcome;
    // The enlargement: the reduced ratio of the requested to the scanned
    // resolution, the scanned width, and the size after. Its lines are
    // counted in 16 bits.
    TW_INT32 ScaleNum, ScaleDen;
    TW_UINT16 SourceWidth;
    TW_UINT16 ScaledWidth, ScaledLength;
    // Set up for a memory transfer whose scan module delivers the image as a
    // TIFF file: memory strips read that file, whatever else holds the
    // image, and ScanFileStatus says whether it can be read (XFER_MORE).
    bool fromScanFile;
    TW_INT16 ScanFileStatus;
};

extern CurrentImage gImage;
// The description of the image: filled by the scan module, rewritten by
// reception and enlargement, read by every transfer.
extern TW_IMAGEINFO gImageInfo;
// The buffer sizes of a memory transfer, as the application was last told.
extern TW_UINT32 gMinBufSize, gMaxBufSize, gPrefBufSize;

inline bool IsQueued(const CurrentImage &image) {
    return image.where == ImageWhere::Queue || image.where == ImageWhere::QueueEnlarged;
}

// Gives the image up: a transfer under way, the queued blocks, the spool
// file, the scan module's file. Nothing of it is left.
void DiscardImage();

#endif
