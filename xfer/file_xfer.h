// The file transfer: the image as a BMP or TIFF file named by the file
// set-up. The scan module writes the file of an image it delivers itself;
// the data source writes a queued one.
#ifndef QR_XFER_FILE_XFER_H
#define QR_XFER_FILE_XFER_H

#include "image/current_image.h"

// 1 the file is written, 2 cancelled, -1 failed; a failed or cancelled
// transfer leaves no file of ours behind.
TW_INT16 FileXfer();

#endif
