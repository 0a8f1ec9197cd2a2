#include "image_layout.h"

#include <string.h>

TW_IMAGELAYOUT gImageLayout;
TW_IMAGELAYOUT gDefaultLayout;

void InitImageLayout() {
    memset(&gImageLayout.Frame, 0, sizeof gImageLayout.Frame);
    gImageLayout.DocumentNumber = 1;
    gImageLayout.PageNumber = 1;
    gImageLayout.FrameNumber = 1;
    gDefaultLayout = gImageLayout;
}
