#include "screen_placement.h"

// The halves are taken by shifting, so an odd remainder leaves the extra pixel
// below and to the right, and a window larger than the screen starts above
// and left of it.
void CentreOnScreenTopmost(CWnd &window) {
    CDC *dc = window.GetDC();
    if (dc == nullptr) return;
    int screenWidth = dc->GetDeviceCaps(HORZRES);
    int screenHeight = dc->GetDeviceCaps(VERTRES);
    window.ReleaseDC(dc);
    RECT frame;
    window.GetWindowRect(&frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    window.SetWindowPos(HWND_TOPMOST, (screenWidth - width) >> 1, (screenHeight - height) >> 1, width, height,
                        SWP_SHOWWINDOW);
}
