// The window longs: the procedure (replaceable, for subclassing), instance,
// id, user data, styles, and the class's extra bytes at offsets >= 0 (where a
// dialog keeps its message result and dialog procedure).
#include "user_state.h"

#include <cstring>

namespace userlayer {

namespace {

bool ExtraSlotFits(const Window &window, int index) {
    return index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= window.extra.size();
}

LONG_PTR ReadExtra(const Window &window, int index) {
    LONG_PTR value = 0;
    std::memcpy(&value, window.extra.data() + index, sizeof value);
    return value;
}

void WriteExtra(Window &window, int index, LONG_PTR value) {
    std::memcpy(window.extra.data() + index, &value, sizeof value);
}

// Lock held. False for an index this window does not have.
bool ReadLong(const Window &window, int index, LONG_PTR *value) {
    switch (index) {
    case GWLP_WNDPROC:
        *value = reinterpret_cast<LONG_PTR>(window.proc);
        return true;
    case GWLP_HINSTANCE:
        *value = reinterpret_cast<LONG_PTR>(window.instance);
        return true;
    case GWLP_ID:
        *value = window.id;
        return true;
    case GWLP_USERDATA:
        *value = window.userData;
        return true;
    case kGwlStyle:
        *value = static_cast<LONG_PTR>(window.style);
        return true;
    case kGwlExStyle:
        *value = static_cast<LONG_PTR>(window.exStyle);
        return true;
    case kGwlpHwndParent:
        *value = reinterpret_cast<LONG_PTR>(window.parent != nullptr ? window.parent : window.owner);
        return true;
    default:
        if (!ExtraSlotFits(window, index)) return false;
        *value = ReadExtra(window, index);
        return true;
    }
}

bool WriteLong(Window &window, int index, LONG_PTR value) {
    switch (index) {
    case GWLP_WNDPROC:
        if (value == 0) return false;
        window.proc = reinterpret_cast<WNDPROC>(value);
        return true;
    case GWLP_HINSTANCE:
        window.instance = reinterpret_cast<HINSTANCE>(value);
        return true;
    case GWLP_ID:
        window.id = value;
        return true;
    case GWLP_USERDATA:
        window.userData = value;
        return true;
    case kGwlStyle:
        window.style = static_cast<DWORD>(value);
        return true;
    case kGwlExStyle:
        window.exStyle = static_cast<DWORD>(value);
        return true;
    default:
        if (!ExtraSlotFits(window, index)) return false;
        WriteExtra(window, index, value);
        return true;
    }
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    Lock lock = LockState();
    const Window *record = RequireWindow(window);
    LONG_PTR value = 0;
    if (record != nullptr && !ReadLong(*record, index, &value)) SetLastError(kErrorInvalidIndex);
    return value;
}

// Returns the previous value; 0 is also a valid previous value, so a caller
// that must know tells them apart by GetLastError, which is cleared first.
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    SetLastError(0);
    Lock lock = LockState();
    Window *record = RequireWindow(window);
    LONG_PTR previous = 0;
    if (record == nullptr) return 0;
    if (!ReadLong(*record, index, &previous) || index == kGwlpHwndParent || !WriteLong(*record, index, value)) {
        SetLastError(index == GWLP_WNDPROC ? ERROR_INVALID_PARAMETER : kErrorInvalidIndex);
        return 0;
    }
    return previous;
}
