// Where the data source's dialogs appear: in the middle of the screen, above
// every other window, as their own drawing context measures the screen.
#ifndef QR_UI_SCREEN_PLACEMENT_H
#define QR_UI_SCREEN_PLACEMENT_H

#include "afx.h"

void CentreOnScreenTopmost(CWnd &window);

#endif
