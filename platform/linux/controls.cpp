// The behaviour of the predefined controls. A push button is pressed by the
// left button (taking the capture) or the space bar and clicks when released
// over itself: its parent gets WM_COMMAND with BN_CLICKED. An edit control
// takes typed characters. A static control needs nothing beyond the default
// processing.
#include "user_state.h"

namespace userlayer {

namespace {

void SetPressed(HWND button, bool pressed) {
    Lock lock = LockState();
    if (Window *record = FindWindowRecord(button)) record->pressed = pressed;
}

bool IsPressed(HWND button) {
    Lock lock = LockState();
    const Window *record = FindWindowRecord(button);
    return record != nullptr && record->pressed;
}

bool ReleasedInside(HWND button, LPARAM point) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(button, &client);
    int x = GET_X_LPARAM(point);
    int y = GET_Y_LPARAM(point);
    return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

void Click(HWND button) {
    HWND parent = GetParent(button);
    if (parent == nullptr) return;
    int id = GetDlgCtrlID(button);
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, kBnClicked), reinterpret_cast<LPARAM>(button));
}

void ButtonUp(HWND button, LPARAM point) {
    bool wasPressed = IsPressed(button);
    SetPressed(button, false);
    if (GetCapture() == button) ReleaseCapture();
    if (wasPressed && ReleasedInside(button, point)) Click(button);
}

void TypeInto(HWND edit, WPARAM character) {
    Lock lock = LockState();
    Window *record = FindWindowRecord(edit);
    if (record == nullptr) return;
    if (character == 0x08) {
        if (!record->text.empty()) record->text.pop_back();
    } else if (character >= 0x20 && character <= 0xFF) {
        record->text.push_back(static_cast<char>(character));
    }
}

}  // namespace

LRESULT ButtonProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_LBUTTONDOWN:
        SetFocus(window);
        SetCapture(window);
        SetPressed(window, true);
        return 0;
    case WM_LBUTTONUP:
        ButtonUp(window, l);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(l) != window) SetPressed(window, false);
        return 0;
    case WM_KEYDOWN:
        if (w == VK_SPACE) SetPressed(window, true);
        return 0;
    case WM_KEYUP:
        if (w == VK_SPACE && IsPressed(window)) {
            SetPressed(window, false);
            Click(window);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, w, l);
    }
}

LRESULT EditProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CHAR) {
        TypeInto(window, w);
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

}  // namespace userlayer
