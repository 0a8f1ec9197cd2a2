// IsDialogMessage: a message for a dialog or any window inside it is the
// dialog's to handle. Tab moves the focus to the next tab stop, Enter presses
// the default button (IDOK when none), Escape presses Cancel; everything else
// is translated and dispatched. Messages of other windows are left untouched.
#include "user_state.h"

namespace userlayer {

namespace {

constexpr DWORD kButtonTypeMask = 0x0F;

bool IsTabStop(const Window &control) {
    return (control.style & WS_TABSTOP) != 0 && (control.style & WS_VISIBLE) != 0 && (control.style & WS_DISABLED) == 0;
}

bool IsPushButton(const Window &control) {
    DWORD type = control.style & kButtonTypeMask;
    return control.windowClass == SystemClass("BUTTON") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Lock held. The direct child of the dialog that holds `window`, or null.
HWND ControlHolding(HWND dialog, HWND window) {
    const Window *record = FindWindowRecord(window);
    while (record != nullptr && record->parent != dialog) record = FindWindowRecord(record->parent);
    return record != nullptr ? record->handle : nullptr;
}

int DefaultButtonId(HWND dialog) {
    Lock lock = LockState();
    const Window *focus = FindWindowRecord(ControlHolding(dialog, CurrentQueue().focus));
    if (focus != nullptr && IsPushButton(*focus)) return static_cast<int>(focus->id);
    const Window *record = FindWindowRecord(dialog);
    if (record == nullptr) return IDOK;
    for (HWND child : record->children) {
        const Window *control = FindWindowRecord(child);
        if (IsPushButton(*control) && (control->style & kButtonTypeMask) == BS_DEFPUSHBUTTON) {
            return static_cast<int>(control->id);
        }
    }
    return IDOK;
}

// A disabled button cannot be pressed from the keyboard either.
void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button != nullptr && !IsWindowEnabled(button)) return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, kBnClicked), reinterpret_cast<LPARAM>(button));
}

bool HandleDialogKey(HWND dialog, WPARAM key) {
    switch (key) {
    case VK_TAB:
        if (HWND next = NextTabStop(dialog, GetFocus())) SetFocus(next);
        return true;
    case VK_RETURN:
        PressButton(dialog, DefaultButtonId(dialog));
        return true;
    case VK_ESCAPE:
        PressButton(dialog, IDCANCEL);
        return true;
    default:
        return false;
    }
}

}  // namespace

HWND NextTabStop(HWND dialog, HWND from) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(dialog);
    if (record == nullptr || record->children.empty()) return nullptr;
    const std::vector<HWND> &children = record->children;
    size_t start = 0;
    HWND current = ControlHolding(dialog, from);
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i] == current) start = i + 1;
    }
    for (size_t k = 0; k < children.size(); ++k) {
        const Window *control = FindWindowRecord(children[(start + k) % children.size()]);
        if (control != nullptr && IsTabStop(*control)) return control->handle;
    }
    return nullptr;
}

}  // namespace userlayer

using namespace userlayer;

BOOL IsDialogMessageA(HWND dialog, LPMSG message) {
    if (message == nullptr) return FALSE;
    {
        Lock lock = LockState();
        if (FindWindowRecord(dialog) == nullptr) return FALSE;
        if (message->hwnd != dialog && !IsDescendant(dialog, message->hwnd)) return FALSE;
    }
    if (message->message == WM_KEYDOWN && HandleDialogKey(dialog, message->wParam)) return TRUE;
    TranslateMessage(message);
    DispatchMessageA(message);
    return TRUE;
}
