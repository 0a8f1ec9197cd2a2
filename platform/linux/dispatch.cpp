// Handing a retrieved message on: TranslateMessage turns a character key's
// WM_KEYDOWN into a WM_CHAR, DispatchMessage calls the window procedure (or
// the timer procedure a WM_TIMER carries).
#include "user_state.h"

namespace userlayer {

namespace {

constexpr WPARAM kVkBack = 0x08;
constexpr WPARAM kVkNumpad0 = 0x60;
constexpr WPARAM kVkNumpad9 = 0x69;
constexpr UINT kWmSysKeyDown = 0x0104;
constexpr UINT kWmSysKeyUp = 0x0105;

// The character a key gives without shift state, or 0 for a key without one.
char CharacterOf(WPARAM key) {
    if (key >= 'A' && key <= 'Z') return static_cast<char>('a' + (key - 'A'));
    if (key >= '0' && key <= '9') return static_cast<char>(key);
    if (key >= kVkNumpad0 && key <= kVkNumpad9) return static_cast<char>('0' + (key - kVkNumpad0));
    switch (key) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return '\r';
    case VK_TAB:
        return '\t';
    case VK_ESCAPE:
        return 0x1B;
    case kVkBack:
        return 0x08;
    default:
        return 0;
    }
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == kWmSysKeyDown || message == kWmSysKeyUp;
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

// As on Windows, nonzero for every key message, whether or not it gave a
// character; the WM_CHAR comes next out of the calling thread's queue.
BOOL TranslateMessage(const MSG *message) {
    if (message == nullptr || !IsKeyMessage(message->message)) return FALSE;
    char character = message->message == WM_KEYDOWN ? CharacterOf(message->wParam) : 0;
    if (character != 0) {
        Lock lock = LockState();
        MSG typed = MakeMessage(message->hwnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(character)),
                                message->lParam);
        CurrentQueue().posted.push_front(typed);
    }
    return TRUE;
}

LRESULT DispatchMessageA(const MSG *message) {
    if (message == nullptr) return 0;
    if (message->message == WM_TIMER && message->lParam != 0) {
        TIMERPROC proc = nullptr;
        {
            Lock lock = LockState();
            proc = FindTimerProc(message->hwnd, message->wParam, message->lParam);
        }
        if (proc != nullptr) proc(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
        return 0;
    }
    if (message->hwnd == nullptr) return 0;
    WNDPROC proc = nullptr;
    {
        Lock lock = LockState();
        const Window *record = RequireWindow(message->hwnd);
        if (record == nullptr) return 0;
        proc = record->proc;
    }
    return proc(message->hwnd, message->message, message->wParam, message->lParam);
}
