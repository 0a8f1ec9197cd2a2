// The BMP file of a queued image: the native transfer's bitmap behind a
// 14-byte file header.
#ifndef QR_XFER_BMP_WRITER_H
#define QR_XFER_BMP_WRITER_H

#include "image/current_image.h"
#include "win32.h"

// Writes into an open file; 1 written, 2 cancelled, -1 failed.
TW_INT16 WriteBmpFile(HFILE file);

#endif
