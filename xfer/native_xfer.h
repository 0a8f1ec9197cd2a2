// The native transfer: the image as one packed bitmap in a global block that
// becomes the application's. The scan module builds it for an image it
// delivers itself; a queued image is copied in row by row, enlarged when it
// is.
#ifndef QR_XFER_NATIVE_XFER_H
#define QR_XFER_NATIVE_XFER_H

#include "image/current_image.h"
#include "win32.h"

// The bitmap of the current image, in the memory the application receives
// (boundary_memory.h): XFER_DONE with *dib the whole bitmap; any other status
// with *dib null.
TW_INT16 NativeXfer(TW_HANDLE *dib);

// The bitmap of the queued image, read whole into that memory; the image is
// consumed whatever way it ends once reading began. *dib may hold a part
// bitmap after a failure: the caller frees it (FreeBoundary).
TW_INT16 BitmapOfQueue(TW_HANDLE *dib);

#endif
