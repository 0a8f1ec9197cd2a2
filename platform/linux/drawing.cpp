// Drawing into a window: rectangles and text. Nothing is rasterised; each
// window remembers what was drawn last (for tests, and for a text display to
// show it).
#include "text_display.h"
#include "user_state.h"

#include <algorithm>
#include <cstring>

namespace userlayer {

namespace {

TextDisplay gTextDisplay = {nullptr, nullptr, nullptr};

WinLayerTextOut RecordText(const DeviceContext &context, int x, int y, UINT options, const RECT *rect, LPCSTR text,
                           UINT count) {
    Drawing &drawing = State().drawings[context.window];
    WinLayerTextOut &out = drawing.lastText;
    out.count += 1;
    size_t kept = std::min<size_t>(count, sizeof out.text - 1);
    if (kept > 0) std::memcpy(out.text, text, kept);
    out.text[kept] = '\0';
    out.x = x;
    out.y = y;
    out.options = options;
    out.rect = rect != nullptr ? *rect : RECT{0, 0, 0, 0};
    out.background = context.background;
    out.foreground = context.foreground;
    out.align = context.align;
    return out;
}

WinLayerRectangle RecordRectangle(const DeviceContext &context, const RECT &rect) {
    WinLayerRectangle &out = State().drawings[context.window].lastRectangle;
    out.count += 1;
    out.rect = rect;
    out.rop2 = context.rop2;
    out.brush = context.brush;
    out.pen = context.pen;
    return out;
}

const DeviceContext *FindContext(HDC dc) {
    auto found = State().deviceContexts.find(dc);
    if (found != State().deviceContexts.end()) return &found->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

}  // namespace

void SetTextDisplay(const TextDisplay *display) {
    Lock lock = LockState();
    gTextDisplay = display != nullptr ? *display : TextDisplay{nullptr, nullptr, nullptr};
}

}  // namespace userlayer

using namespace userlayer;

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    WinLayerRectangle drawn;
    HWND window = nullptr;
    TextDisplay display;
    {
        Lock lock = LockState();
        const DeviceContext *context = FindContext(dc);
        if (context == nullptr) return FALSE;
        window = context->window;
        drawn = RecordRectangle(*context, RECT{left, top, right, bottom});
        display = gTextDisplay;
    }
    if (display.drawRectangle != nullptr) display.drawRectangle(display.context, window, drawn);
    return TRUE;
}

// The spacing array is accepted and ignored: every character is one cell.
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT count, const INT *) {
    if (text == nullptr && count > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WinLayerTextOut drawn;
    HWND window = nullptr;
    TextDisplay display;
    {
        Lock lock = LockState();
        const DeviceContext *context = FindContext(dc);
        if (context == nullptr) return FALSE;
        window = context->window;
        drawn = RecordText(*context, x, y, options, rect, text, count);
        display = gTextDisplay;
    }
    if (display.drawText != nullptr) display.drawText(display.context, window, drawn);
    return TRUE;
}

BOOL WinLayer_GetLastTextOut(HWND window, WinLayerTextOut *out) {
    Lock lock = LockState();
    auto found = State().drawings.find(window);
    if (found == State().drawings.end() || found->second.lastText.count == 0 || out == nullptr) return FALSE;
    *out = found->second.lastText;
    return TRUE;
}

BOOL WinLayer_GetLastRectangle(HWND window, WinLayerRectangle *out) {
    Lock lock = LockState();
    auto found = State().drawings.find(window);
    if (found == State().drawings.end() || found->second.lastRectangle.count == 0 || out == nullptr) return FALSE;
    *out = found->second.lastRectangle;
    return TRUE;
}
