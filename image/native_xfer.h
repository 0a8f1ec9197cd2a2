// The native transfer's producers, shared with the BMP file writer.
#ifndef QR_IMAGE_NATIVE_XFER_H
#define QR_IMAGE_NATIVE_XFER_H

#include "globals.h"

// The bitmap of the queued image, consuming the queue; status 1 done, 2
// cancelled, -1 failed.
HGLOBAL NativeFromQueue(TW_INT16 *status);
// The same, enlarged.
HGLOBAL ScaledNative(TW_INT16 *status);

#endif
