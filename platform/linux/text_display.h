// A place to show what windows draw, for a build that renders the dialogs as
// text (a progress bar on a terminal, say). The drawing calls hand every
// rectangle and text to the display plugged in here, after recording it.
#ifndef QR_PLATFORM_LINUX_TEXT_DISPLAY_H
#define QR_PLATFORM_LINUX_TEXT_DISPLAY_H

#include "winlayer_test.h"

namespace userlayer {

struct TextDisplay {
    void *context;
    void (*drawText)(void *context, HWND window, const WinLayerTextOut &text);
    void (*drawRectangle)(void *context, HWND window, const WinLayerRectangle &rectangle);
};

// Plugs a display in (copied), or takes it out with null. Its functions are
// called without the layer's lock, on the drawing thread.
void SetTextDisplay(const TextDisplay *display);

}  // namespace userlayer

#endif
