// MessageBox never blocks: the text goes to stderr as "caption: text" and to
// the test hook, whose answer is returned; without a hook the box answers
// with its default button.
#include "user_state.h"

#include <cstdio>

namespace userlayer {

namespace {

constexpr UINT kButtonsMask = 0x0F;
constexpr UINT kDefaultButtonMask = 0x0F00;
constexpr UINT kDefaultButtonShift = 8;

// The buttons of each MB_ button set, left to right (0 ends a set).
constexpr int kButtonSets[][3] = {
    {IDOK, 0, 0},                  // MB_OK
    {IDOK, IDCANCEL, 0},           // MB_OKCANCEL
    {IDABORT, IDRETRY, IDIGNORE},  // MB_ABORTRETRYIGNORE
    {IDYES, IDNO, IDCANCEL},       // MB_YESNOCANCEL
    {IDYES, IDNO, 0},              // MB_YESNO
    {IDRETRY, IDCANCEL, 0},        // MB_RETRYCANCEL
};

int DefaultButton(UINT type) {
    UINT set = type & kButtonsMask;
    if (set >= sizeof kButtonSets / sizeof kButtonSets[0]) set = 0;
    UINT index = (type & kDefaultButtonMask) >> kDefaultButtonShift;
    if (index > 2 || kButtonSets[set][index] == 0) index = 0;
    return kButtonSets[set][index];
}

}  // namespace

}  // namespace userlayer

using namespace userlayer;

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    const char *shownText = text != nullptr ? text : "";
    const char *shownCaption = caption != nullptr ? caption : "Error";
    WinLayerMessageBoxHook hook = nullptr;
    void *context = nullptr;
    bool quiet = false;
    {
        Lock lock = LockState();
        hook = State().messageBoxHook;
        context = State().messageBoxContext;
        quiet = State().messageBoxQuiet;
    }
    if (!quiet) std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
    return hook != nullptr ? hook(context, shownText, shownCaption, type) : DefaultButton(type);
}

void WinLayer_SetMessageBoxHook(WinLayerMessageBoxHook hook, void *context) {
    Lock lock = LockState();
    State().messageBoxHook = hook;
    State().messageBoxContext = context;
}

void WinLayer_SetMessageBoxQuiet(BOOL quiet) {
    Lock lock = LockState();
    State().messageBoxQuiet = quiet != FALSE;
}
