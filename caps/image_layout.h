// The image layout the application may read and set before scanning. Its
// frame reaches the scan module when the source is enabled.
#ifndef QR_CAPS_IMAGE_LAYOUT_H
#define QR_CAPS_IMAGE_LAYOUT_H

#include "twain.h"

extern TW_IMAGELAYOUT gImageLayout;
extern TW_IMAGELAYOUT gDefaultLayout;

// Zero frame, document, page and frame number 1; also the default layout.
void InitImageLayout();

#endif
