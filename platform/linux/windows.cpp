// Creating windows and finding them again: the window records, their handles
// (opaque numbers, never reused), parents, owners and control ids.
#include "user_state.h"

#include <algorithm>

namespace userlayer {

namespace {

constexpr int kDefaultX = 32;
constexpr int kDefaultY = 32;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

RECT InitialRect(DWORD style, int x, int y, int width, int height) {
    bool overlapped = (style & (WS_CHILD | WS_POPUP)) == 0;
    if (x == CW_USEDEFAULT) {
        x = overlapped ? kDefaultX : 0;
        y = overlapped ? kDefaultY : 0;
    }
    if (width == CW_USEDEFAULT) {
        width = overlapped ? kDefaultWidth : 0;
        height = overlapped ? kDefaultHeight : 0;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    return RECT{x, y, x + width, y + height};
}

HWND TopLevelOf(HWND window) {
    const Window *record = FindWindowRecord(window);
    while (record != nullptr && record->parent != nullptr) record = FindWindowRecord(record->parent);
    return record != nullptr ? record->handle : nullptr;
}

// Lock held; the class and parent are already checked.
HWND AddWindowRecord(const WindowClass &cls, DWORD exStyle, LPCSTR title, DWORD style, const RECT &rect, Window *parent,
                     HMENU menuOrId, HINSTANCE instance) {
    UserState &state = State();
    auto record = std::make_unique<Window>();
    HWND handle = reinterpret_cast<HWND>(state.nextWindowHandle);
    state.nextWindowHandle += 2;
    record->handle = handle;
    record->windowClass = &cls;
    record->proc = cls.proc;
    record->text = title != nullptr && !IS_INTRESOURCE(title) ? title : "";
    record->style = style & ~static_cast<DWORD>(WS_VISIBLE);
    record->exStyle = exStyle;
    record->instance = instance;
    record->extra.assign(static_cast<size_t>(cls.extraBytes), 0);
    record->rect = rect;
    record->thread = CurrentQueue().thread;
    record->zOrder = state.nextZOrder++;
    if ((style & WS_CHILD) != 0) {
        record->parent = parent->handle;
        record->id = static_cast<LONG_PTR>(reinterpret_cast<UINT_PTR>(menuOrId));
        parent->children.push_back(handle);
    } else if (parent != nullptr) {
        record->owner = TopLevelOf(parent->handle);
    }
    state.windows.emplace(handle, std::move(record));
    return handle;
}

void SendInitialGeometry(HWND window) {
    RECT client = {0, 0, 0, 0};
    RECT placed = {0, 0, 0, 0};
    bool minimized = false;
    {
        Lock lock = LockState();
        const Window *record = FindWindowRecord(window);
        if (record == nullptr) return;
        client = ClientRectOf(*record);
        RECT insets = FrameInsets(record->style, record->exStyle);
        placed = RECT{record->rect.left + insets.left, record->rect.top + insets.top, 0, 0};
        minimized = (record->style & WS_MINIMIZE) != 0;
    }
    SendMessageA(window, WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED,
                 minimized ? 0 : MAKELPARAM(client.right, client.bottom));
    SendMessageA(window, WM_MOVE, 0, MAKELPARAM(placed.left, placed.top));
}

bool TitleMatches(const Window &window, LPCSTR title) {
    return title == nullptr || UpperCase(window.text.c_str()) == UpperCase(title);
}

bool ClassMatches(const Window &window, LPCSTR className) {
    if (className == nullptr) return true;
    if (IS_INTRESOURCE(className)) {
        return window.windowClass->atom == static_cast<WORD>(reinterpret_cast<ULONG_PTR>(className));
    }
    return UpperCase(window.windowClass->name.c_str()) == UpperCase(className);
}

}  // namespace

std::vector<Window *> TopLevelWindowsFrontToBack() {
    std::vector<Window *> result;
    for (auto &entry : State().windows) {
        if (entry.second->parent == nullptr) result.push_back(entry.second.get());
    }
    std::sort(result.begin(), result.end(), [](const Window *a, const Window *b) {
        bool aTop = (a->exStyle & WS_EX_TOPMOST) != 0;
        bool bTop = (b->exStyle & WS_EX_TOPMOST) != 0;
        if (aTop != bTop) return aTop;
        return a->zOrder > b->zOrder;
    });
    return result;
}

}  // namespace userlayer

using namespace userlayer;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                     HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
    HWND window = nullptr;
    RECT rect = InitialRect(style, x, y, width, height);
    {
        Lock lock = LockState();
        const WindowClass *cls = FindClass(className, instance);
        if (cls == nullptr) {
            SetLastError(kErrorCannotFindClass);
            return nullptr;
        }
        Window *parentRecord = nullptr;
        if (parent != nullptr && (parentRecord = RequireWindow(parent)) == nullptr) return nullptr;
        if ((style & WS_CHILD) != 0 && parentRecord == nullptr) {
            SetLastError(kErrorChildWithoutParent);
            return nullptr;
        }
        window = AddWindowRecord(*cls, exStyle, title, style, rect, parentRecord, menuOrId, instance);
    }
    CREATESTRUCTA create = {param,
                            instance,
                            menuOrId,
                            parent,
                            rect.bottom - rect.top,
                            rect.right - rect.left,
                            rect.top,
                            rect.left,
                            static_cast<LONG>(style),
                            title,
                            className,
                            exStyle};
    if (SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (!IsWindow(window)) return nullptr;  // destroyed by its own WM_CREATE
    SendInitialGeometry(window);
    if ((style & WS_VISIBLE) != 0) ShowWindow(window, SW_SHOW);
    return IsWindow(window) ? window : nullptr;
}

BOOL IsWindow(HWND window) {
    Lock lock = LockState();
    return FindWindowRecord(window) != nullptr;
}

HWND GetParent(HWND window) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    if (record == nullptr) return nullptr;
    if (record->parent != nullptr) return record->parent;
    return (record->style & WS_POPUP) != 0 ? record->owner : nullptr;
}

BOOL IsChild(HWND parent, HWND window) {
    Lock lock = LockState();
    return parent != nullptr && IsDescendant(parent, window);
}

HWND GetDlgItem(HWND dialog, int id) {
    Lock lock = LockState();
    const Window *record = RequireWindow(dialog);
    if (record == nullptr) return nullptr;
    for (HWND child : record->children) {
        const Window *control = FindWindowRecord(child);
        if (control != nullptr && control->id == id) return child;
    }
    SetLastError(kErrorControlIdNotFound);
    return nullptr;
}

int GetDlgCtrlID(HWND window) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    if (record == nullptr || record->parent == nullptr) return 0;
    return static_cast<int>(record->id);
}

HWND FindWindowA(LPCSTR className, LPCSTR title) {
    Lock lock = LockState();
    for (const Window *window : TopLevelWindowsFrontToBack()) {
        if (!window->destroying && ClassMatches(*window, className) && TitleMatches(*window, title)) {
            return window->handle;
        }
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

long WinLayer_LiveWindows(void) {
    Lock lock = LockState();
    return static_cast<long>(State().windows.size());
}
