// The TIFF files the data source writes from a queued image: little-endian,
// one directory of twelve entries, one uncompressed strip, every tag value in
// front of the image data.
#ifndef QR_XFER_TIFF_WRITER_H
#define QR_XFER_TIFF_WRITER_H

#include "globals.h"

// Both take an open file at position 0 and leave it open; 1 written, 2
// cancelled, -1 failed. Both consume the queued image.
TW_INT16 WriteTiffFromQueue(HFILE file);
TW_INT16 WriteTiffScaled(HFILE file);

#endif
