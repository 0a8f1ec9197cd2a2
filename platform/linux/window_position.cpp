// Moving, sizing and stacking windows. Top-level windows are stacked in two
// bands, topmost (HWND_TOPMOST, WS_EX_TOPMOST) above the rest; a window moved
// or sized hears of it through WM_MOVE and WM_SIZE.
#include "user_state.h"

#include <algorithm>

namespace userlayer {

namespace {

const HWND kHwndBottom = reinterpret_cast<HWND>(1);

bool IsTopmost(const Window *window) { return (window->exStyle & WS_EX_TOPMOST) != 0; }

// Where in the front-to-back list (without the window itself) it goes.
size_t InsertionIndex(const std::vector<Window *> &list, Window &window, HWND after) {
    auto firstOfBand = [&list](bool topmost) {
        auto it = std::find_if(list.begin(), list.end(), [topmost](Window *w) { return IsTopmost(w) == topmost; });
        if (it == list.end() && topmost) return size_t{0};
        if (it == list.end()) return list.size();
        return static_cast<size_t>(it - list.begin());
    };
    if (after == HWND_TOPMOST) {
        window.exStyle |= WS_EX_TOPMOST;
        return 0;
    }
    if (after == HWND_NOTOPMOST) {
        window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
        return firstOfBand(false);
    }
    if (after == HWND_TOP) return IsTopmost(&window) ? 0 : firstOfBand(false);
    if (after == kHwndBottom) {
        window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
        return list.size();
    }
    auto behind = std::find_if(list.begin(), list.end(), [after](Window *w) { return w->handle == after; });
    if (behind == list.end()) return IsTopmost(&window) ? 0 : firstOfBand(false);
    if (IsTopmost(*behind)) {
        window.exStyle |= WS_EX_TOPMOST;
    } else {
        window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
    }
    return static_cast<size_t>(behind - list.begin()) + 1;
}

void PlaceInZOrder(Window &window, HWND after) {
    std::vector<Window *> list = TopLevelWindowsFrontToBack();
    list.erase(std::remove(list.begin(), list.end(), &window), list.end());
    size_t index = InsertionIndex(list, window, after);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), &window);
    uint64_t base = State().nextZOrder;
    for (size_t i = 0; i < list.size(); ++i) list[i]->zOrder = base + (list.size() - i);
    State().nextZOrder = base + list.size() + 1;
}

void ApplyPlacement(Window &window, int x, int y, int cx, int cy, UINT flags) {
    LONG width = window.rect.right - window.rect.left;
    LONG height = window.rect.bottom - window.rect.top;
    if ((flags & SWP_NOMOVE) == 0) {
        window.rect.left = x;
        window.rect.top = y;
    }
    if ((flags & SWP_NOSIZE) == 0) {
        width = std::max(cx, 0);
        height = std::max(cy, 0);
    }
    window.rect.right = window.rect.left + width;
    window.rect.bottom = window.rect.top + height;
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) {
    RECT before = {0, 0, 0, 0};
    RECT now = {0, 0, 0, 0};
    RECT client = {0, 0, 0, 0};
    RECT insets = {0, 0, 0, 0};
    {
        Lock lock = LockState();
        Window *record = RequireWindow(window);
        if (record == nullptr) return FALSE;
        before = record->rect;
        ApplyPlacement(*record, x, y, cx, cy, flags);
        if ((flags & SWP_NOZORDER) == 0 && record->parent == nullptr) PlaceInZOrder(*record, after);
        if ((flags & SWP_SHOWWINDOW) != 0) record->style |= WS_VISIBLE;
        if ((flags & SWP_HIDEWINDOW) != 0) record->style &= ~static_cast<DWORD>(WS_VISIBLE);
        now = record->rect;
        client = ClientRectOf(*record);
        insets = FrameInsets(record->style, record->exStyle);
    }
    if (now.left != before.left || now.top != before.top) {
        SendMessageA(window, WM_MOVE, 0, MAKELPARAM(now.left + insets.left, now.top + insets.top));
    }
    if (now.right - now.left != before.right - before.left || now.bottom - now.top != before.bottom - before.top) {
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
    return TRUE;
}
