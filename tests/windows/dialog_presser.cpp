#include "dialog_presser.h"

namespace {

const char kDialogClass[] = "#32770";

DialogSnapshot Snapshot(HWND dialog, int textId) {
    DialogSnapshot seen;
    seen.dialog = dialog;
    GetWindowRect(dialog, &seen.frame);
    seen.exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    seen.visible = IsWindowVisible(dialog) != FALSE;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) seen.captureOfItsThread = info.hwndCapture;
    if (textId != 0) {
        char text[512] = {};
        GetDlgItemTextA(dialog, textId, text, sizeof text);
        seen.text = text;
    }
    return seen;
}

void Click(HWND button) {
    RECT client;
    GetClientRect(button, &client);
    LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageA(button, WM_LBUTTONUP, 0, centre);
}

}  // namespace

DialogPresser::DialogPresser(const char *caption, int buttonId, Press how, int textId, DWORD timeoutMs)
    : thread_(&DialogPresser::Watch, this, std::string(caption), buttonId, how, textId, timeoutMs) {}

DialogPresser::~DialogPresser() { Join(); }

bool DialogPresser::Join() {
    if (thread_.joinable()) thread_.join();
    return found_;
}

// Polls rather than hooks: the dialog belongs to another thread, and a
// millisecond's delay is nothing next to a transfer.
void DialogPresser::Watch(std::string caption, int buttonId, Press how, int textId, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while ((dialog = FindWindowA(kDialogClass, caption.c_str())) == nullptr || !IsWindowVisible(dialog)) {
        if (GetTickCount() - start > timeoutMs) return;
        Sleep(1);
    }
    seen_ = Snapshot(dialog, textId);
    found_ = true;
    HWND button = GetDlgItem(dialog, buttonId);
    if (how == Press::Click && button != nullptr) {
        Click(button);
    } else {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
}
