// Device contexts and stock objects. A device context belongs to one window
// (or to the screen) from GetDC to ReleaseDC and carries the drawing state:
// colours, text alignment, raster operation and the selected brush, pen and
// font. Handles are opaque numbers checked on every call.
#include "user_state.h"

#include <iterator>

namespace userlayer {

namespace {

constexpr uintptr_t kStockBase = 0x00F00000;
constexpr uintptr_t kStockStride = 0x10;
constexpr int kStockCount = 20;
constexpr int kR2CopyPen = 13;
constexpr int kSystemFont = 13;
constexpr int kDefaultPalette = 15;
constexpr COLORREF kInvalidColor = 0xFFFFFFFF;
constexpr UINT kGdiError = 0xFFFFFFFF;

enum class ObjectKind { None, Brush, Pen, Font, Palette };

ObjectKind KindOfStock(int index) {
    if ((index >= 0 && index <= 5) || index == 18) return ObjectKind::Brush;
    if ((index >= 6 && index <= 8) || index == 19) return ObjectKind::Pen;
    if ((index >= 10 && index <= 14) || index == 16 || index == 17) return ObjectKind::Font;
    if (index == kDefaultPalette) return ObjectKind::Palette;
    return ObjectKind::None;
}

HGDIOBJ StockHandle(int index) {
    return reinterpret_cast<HGDIOBJ>(kStockBase + static_cast<uintptr_t>(index) * kStockStride);
}

ObjectKind KindOfObject(HGDIOBJ object) {
    uintptr_t value = reinterpret_cast<uintptr_t>(object);
    if (value < kStockBase || (value - kStockBase) % kStockStride != 0) return ObjectKind::None;
    uintptr_t index = (value - kStockBase) / kStockStride;
    return index < kStockCount ? KindOfStock(static_cast<int>(index)) : ObjectKind::None;
}

// Lock held. Null, with the error set, for an unknown handle.
DeviceContext *FindDeviceContext(HDC dc) {
    auto found = State().deviceContexts.find(dc);
    if (found != State().deviceContexts.end()) return &found->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

HGDIOBJ Swap(HGDIOBJ &slot, HGDIOBJ object) {
    HGDIOBJ previous = slot;
    slot = object;
    return previous;
}

}  // namespace

void ReleaseWindowDrawing(HWND window) {
    auto &contexts = State().deviceContexts;
    for (auto it = contexts.begin(); it != contexts.end();) {
        it = it->second.window == window ? contexts.erase(it) : std::next(it);
    }
}

}  // namespace userlayer

using namespace userlayer;

// GetDC(NULL) is the screen's context.
HDC GetDC(HWND window) {
    Lock lock = LockState();
    if (window != nullptr && RequireWindow(window) == nullptr) return nullptr;
    UserState &state = State();
    HDC dc = reinterpret_cast<HDC>(state.nextDeviceContext);
    state.nextDeviceContext += 4;
    state.deviceContexts.emplace(dc, DeviceContext{window, 0xFFFFFF, 0, TA_TOP, kR2CopyPen, StockHandle(WHITE_BRUSH),
                                                   StockHandle(BLACK_PEN), StockHandle(kSystemFont)});
    return dc;
}

// 1 when released; 0 for an unknown context or one of another window.
int ReleaseDC(HWND window, HDC dc) {
    Lock lock = LockState();
    auto found = State().deviceContexts.find(dc);
    if (found == State().deviceContexts.end() || found->second.window != window) return 0;
    State().deviceContexts.erase(found);
    return 1;
}

int GetDeviceCaps(HDC dc, int index) {
    Lock lock = LockState();
    if (FindDeviceContext(dc) == nullptr) return 0;
    switch (index) {
    case HORZRES:
        return kScreenWidth;
    case VERTRES:
        return kScreenHeight;
    case 12:
        return 24;  // BITSPIXEL
    case 14:
        return 1;  // PLANES
    case 88:       // LOGPIXELSX
    case 90:
        return 96;  // LOGPIXELSY
    default:
        return 0;
    }
}

namespace {

// Sets one attribute of a device context and returns what it was, or
// `failure` for a context that does not exist.
template <typename T>
T ReplaceAttribute(HDC dc, T DeviceContext::*attribute, T value, T failure) {
    Lock lock = LockState();
    DeviceContext *context = FindDeviceContext(dc);
    if (context == nullptr) return failure;
    T previous = context->*attribute;
    context->*attribute = value;
    return previous;
}

}  // namespace

COLORREF SetBkColor(HDC dc, COLORREF color) {
    return ReplaceAttribute(dc, &DeviceContext::background, color, kInvalidColor);
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    return ReplaceAttribute(dc, &DeviceContext::foreground, color, kInvalidColor);
}

UINT SetTextAlign(HDC dc, UINT align) { return ReplaceAttribute(dc, &DeviceContext::align, align, kGdiError); }

// Returns the previous mode, 0 on failure.
int SetROP2(HDC dc, int mode) {
    if (mode < 1 || mode > 16) return 0;
    return ReplaceAttribute(dc, &DeviceContext::rop2, mode, 0);
}

HGDIOBJ GetStockObject(int index) {
    return index >= 0 && index < kStockCount && KindOfStock(index) != ObjectKind::None ? StockHandle(index) : nullptr;
}

// Returns the object of the same kind selected before, or null.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    Lock lock = LockState();
    DeviceContext *context = FindDeviceContext(dc);
    if (context == nullptr) return nullptr;
    switch (KindOfObject(object)) {
    case ObjectKind::Brush:
        return Swap(context->brush, object);
    case ObjectKind::Pen:
        return Swap(context->pen, object);
    case ObjectKind::Font:
        return Swap(context->font, object);
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
}

long WinLayer_LiveDeviceContexts(void) {
    Lock lock = LockState();
    return static_cast<long>(State().deviceContexts.size());
}
