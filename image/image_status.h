// The status every image producer reports, the scan module's image
// operations included: 0 more follows, 1 complete, 2 cancelled, anything else
// failed. The transfer handlers turn it into the TWAIN return code.
#ifndef QR_IMAGE_IMAGE_STATUS_H
#define QR_IMAGE_IMAGE_STATUS_H

#include "twain.h"

constexpr TW_INT16 XFER_MORE = 0;
constexpr TW_INT16 XFER_DONE = 1;
constexpr TW_INT16 XFER_CANCELLED = 2;
constexpr TW_INT16 XFER_FAILED = -1;
// A failure of the application's buffer, which cannot hold the next strip:
// refused before anything of the image is taken.
constexpr TW_INT16 XFER_BUFFER_TOO_SMALL = -2;
// A failure for want of memory to hand the image over in.
constexpr TW_INT16 XFER_NO_MEMORY = -3;

// A whole image (a bitmap, a file) is complete at 0 as at 1: nothing more
// can follow it.
inline TW_INT16 WholeImageStatus(TW_INT16 status) { return status == XFER_MORE ? XFER_DONE : status; }

#endif
