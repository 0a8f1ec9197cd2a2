// Reception of an image whose length the scan module cannot state in
// advance: the whole image is pulled into the queue and the spool file
// before the application is told, and enlargement is set up when the scan
// module scanned at a lower resolution than was asked for.
#ifndef QR_IMAGE_RECEPTION_H
#define QR_IMAGE_RECEPTION_H

#include "current_image.h"

// Takes the image the scan module has just described in gImageInfo: an image
// of known length stays with the scan module; one of open length is received
// whole. FALSE when that reception failed or was cancelled; the image is then
// recorded as such, and its transfers end at once.
BOOL ReceiveAnnouncedImage();

// Pulls the whole image into the queue: 1 complete, 2 cancelled, -1 failed.
TW_INT16 ReceiveBufferedImage();

#endif
