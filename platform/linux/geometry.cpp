// Where windows are: a window's rectangle is kept in its parent's client
// coordinates (on the screen for a top-level window), and the frame a style
// implies (border, caption) separates the window rectangle from the client
// area.
#include "user_state.h"

namespace userlayer {

namespace {

constexpr LONG kCaptionHeight = 19;
constexpr LONG kDialogFrame = 3;
constexpr LONG kThinBorder = 1;

}  // namespace

RECT FrameInsets(DWORD style, DWORD exStyle) {
    LONG edge = 0;
    if ((style & WS_DLGFRAME) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0) {
        edge = kDialogFrame;
    } else if ((style & WS_BORDER) != 0) {
        edge = kThinBorder;
    }
    LONG caption = (style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0;
    return RECT{edge, edge + caption, edge, edge};
}

RECT WindowRectOnScreen(const Window &window) {
    RECT rect = window.rect;
    const Window *parent = FindWindowRecord(window.parent);
    if (parent != nullptr) {
        POINT origin = ClientOriginOnScreen(*parent);
        rect.left += origin.x;
        rect.right += origin.x;
        rect.top += origin.y;
        rect.bottom += origin.y;
    }
    return rect;
}

POINT ClientOriginOnScreen(const Window &window) {
    RECT rect = WindowRectOnScreen(window);
    RECT insets = FrameInsets(window.style, window.exStyle);
    return POINT{rect.left + insets.left, rect.top + insets.top};
}

RECT ClientRectOf(const Window &window) {
    RECT insets = FrameInsets(window.style, window.exStyle);
    LONG width = window.rect.right - window.rect.left - insets.left - insets.right;
    LONG height = window.rect.bottom - window.rect.top - insets.top - insets.bottom;
    return RECT{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

}  // namespace userlayer

using namespace userlayer;

BOOL GetWindowRect(HWND window, LPRECT rect) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    if (record == nullptr || rect == nullptr) return FALSE;
    *rect = WindowRectOnScreen(*record);
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    if (record == nullptr || rect == nullptr) return FALSE;
    *rect = ClientRectOf(*record);
    return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    if (record == nullptr || point == nullptr) return FALSE;
    POINT origin = ClientOriginOnScreen(*record);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    if (record == nullptr || point == nullptr) return FALSE;
    POINT origin = ClientOriginOnScreen(*record);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}
