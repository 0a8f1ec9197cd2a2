// The TIFF file the data source writes of a queued image: little-endian,
// one directory of twelve entries, one uncompressed strip, every tag value in
// front of the image data.
#ifndef QR_XFER_TIFF_WRITER_H
#define QR_XFER_TIFF_WRITER_H

#include "image/current_image.h"
#include "win32.h"

// Takes an open file at position 0 and leaves it open; 1 written, 2
// cancelled, -1 failed. The image is consumed once reading began.
TW_INT16 WriteTiffFile(HFILE file);

#endif
