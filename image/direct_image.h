// An image the scan module delivers itself (one of known length): each
// transfer asks it for the image in its own form, and the answer is checked
// before the application sees it.
#ifndef QR_IMAGE_DIRECT_IMAGE_H
#define QR_IMAGE_DIRECT_IMAGE_H

#include "current_image.h"
#include "win32.h"

// The packed bitmap the scan module makes (GetSMImage_DIB). A success
// without a bitmap is no image at all.
TW_INT16 DirectBitmap(HGLOBAL *dib);
// The file the scan module writes as the set-up names it (GetSMImage_File).
TW_INT16 DirectFile();
// One strip the scan module writes into the application's buffer, which
// holds `capacity` bytes (GetSMImage_Buf); `strip` comes back describing it.
TW_INT16 DirectStrip(TW_IMAGEMEMXFER *strip, void *buffer, TW_UINT32 capacity);

#endif
