// The debug dialog as a developer uses it: a stop holds the caller until
// UnLOCK, Skip, Discard or the close box lets it go, while the thread's other
// windows keep running. Built for Linux over our layer and for Windows, where
// it runs under Wine against the real user interface.
#include "ui/debug_dialog.h"
#include "ui/resource.h"

#include "winlayer_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const WPARAM kLeftButton = 0x0001;  // MK_LBUTTON
const UINT kDeadlineMs = 5000;

// The dialog a test holds at a stop, for the timer procedures below.
HWND gHeld;
bool gTimedOut;
int gTicks;

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A click as the mouse gives it, posted so that the waiting loop serves it.
void PostClick(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    RECT client;
    GetClientRect(button, &client);
    LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageA(button, WM_LBUTTONDOWN, kLeftButton, centre);
    PostMessageA(button, WM_LBUTTONUP, 0, centre);
}

void PostCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A stop that nothing lets go would hang the test: after a while the
// deadline discards the dialog and the test fails.
void CALLBACK Deadline(HWND, UINT, UINT_PTR, DWORD) {
    gTimedOut = true;
    if (IsWindow(gHeld)) PostCommand(gHeld, IDC_DEBUG_DISCARD);
}

void CALLBACK UnlockOnThirdTick(HWND, UINT, UINT_PTR, DWORD) {
    if (++gTicks == 3) PostClick(gHeld, IDC_DEBUG_LOCK);
}

void CALLBACK DestroyHeld(HWND, UINT, UINT_PTR, DWORD) { DestroyWindow(gHeld); }

void PumpAll() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Dialog units to pixels in the dialog's own font; position and size are
// converted each on its own, as a template's are.
RECT DialogRect(HWND dialog, int x, int y, int cx, int cy) {
    RECT place = {x, y, cx, cy};
#if defined(_WIN32)
    MapDialogRect(dialog, &place);
#else
    (void)dialog;
    place = {2 * x, 2 * y, 2 * cx, 2 * cy};
#endif
    return {place.left, place.top, place.left + place.right, place.top + place.bottom};
}

RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    HWND parent = GetParent(control);
    POINT topLeft = {rect.left, rect.top}, bottomRight = {rect.right, rect.bottom};
    ScreenToClient(parent, &topLeft);
    ScreenToClient(parent, &bottomRight);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

class Debug : public ::testing::Test {
protected:
    void SetUp() override {
        gHeld = nullptr;
        gTimedOut = false;
        gTicks = 0;
        deadline_ = SetTimer(nullptr, 0, kDeadlineMs, Deadline);
#if !defined(_WIN32)
        windowsBefore_ = WinLayer_LiveWindows();
#endif
    }
    void TearDown() override {
        KillTimer(nullptr, deadline_);
        PumpAll();
        EXPECT_FALSE(gTimedOut) << "a stop was never let go";
#if !defined(_WIN32)
        EXPECT_EQ(WinLayer_LiveWindows(), windowsBefore_);
#endif
    }
    HWND Open(DebugDialog &dialog, const char *title = "Step") {
        EXPECT_EQ(dialog.Open(title), 1);
        gHeld = dialog.m_hWnd;
        return dialog.m_hWnd;
    }
    HWND Item(const DebugDialog &dialog, int id) { return GetDlgItem(dialog.m_hWnd, id); }
    UINT_PTR deadline_ = 0;
    long windowsBefore_ = 0;
};

struct TemplateControl {
    int id;
    const char *text;
    int x, y, cx, cy;
};

TEST_F(Debug, TemplateGivesTheControlsTheirTextsAndPlaces) {
    DebugDialog dialog(TRUE);
    HWND window = Open(dialog, "Halt at block 3");
    EXPECT_EQ(TextOf(window), "Halt at block 3");
    const TemplateControl controls[] = {
        {IDC_DEBUG_LOCK, "UnLOCK", 5, 25, 35, 15},
        {IDC_DEBUG_SKIP, "Skip", 45, 25, 85, 18},
        {IDC_DEBUG_DISCARD, "Discard", 135, 25, 35, 15},
        {IDC_DEBUG_MESSAGE, "Message", 25, 8, 145, 10},
    };
    for (const TemplateControl &place : controls) {
        HWND control = GetDlgItem(window, place.id);
        ASSERT_NE(control, nullptr) << place.id;
        EXPECT_EQ(TextOf(control), place.text) << place.id;
        RECT expected = DialogRect(window, place.x, place.y, place.cx, place.cy);
        RECT actual = ClientRectOf(control);
        EXPECT_EQ(actual.left, expected.left) << place.id;
        EXPECT_EQ(actual.top, expected.top) << place.id;
        EXPECT_EQ(actual.right, expected.right) << place.id;
        EXPECT_EQ(actual.bottom, expected.bottom) << place.id;
    }
    EXPECT_NE(GetDlgItem(window, IDC_DEBUG_ICON_SMALL), nullptr);
    EXPECT_NE(GetDlgItem(window, IDC_DEBUG_ICON_LARGE), nullptr);
    RECT client;
    GetClientRect(window, &client);
    RECT size = DialogRect(window, 0, 0, 174, 45);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
}

TEST_F(Debug, OpensCentredOnTheScreenAndVisible) {
    DebugDialog dialog(TRUE);
    HWND window = Open(dialog);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT frame;
    GetWindowRect(window, &frame);
    HDC screen = GetDC(window);
    int left = (GetDeviceCaps(screen, HORZRES) - (frame.right - frame.left)) >> 1;
    int top = (GetDeviceCaps(screen, VERTRES) - (frame.bottom - frame.top)) >> 1;
    ReleaseDC(window, screen);
    EXPECT_EQ(frame.left, left);
    EXPECT_EQ(frame.top, top);
#if defined(_WIN32)
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
#endif
}

TEST_F(Debug, StartsLockedExactlyWhenAsked) {
    DebugDialog locked(TRUE);
    Open(locked);
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(TextOf(Item(locked, IDC_DEBUG_LOCK)), "UnLOCK");
    EXPECT_TRUE(IsWindowEnabled(Item(locked, IDC_DEBUG_SKIP)));

    DebugDialog unlocked(FALSE);
    Open(unlocked);
    EXPECT_FALSE(unlocked.IsLocked());
    EXPECT_EQ(TextOf(Item(unlocked, IDC_DEBUG_LOCK)), "LOCK");
    EXPECT_FALSE(IsWindowEnabled(Item(unlocked, IDC_DEBUG_SKIP)));
    unlocked.WaitForUser();  // nothing holds an unlocked dialog
}

TEST_F(Debug, UnlockEndsTheStopAndSwitchesStoppingOff) {
    DebugDialog dialog(FALSE);
    HWND window = Open(dialog);
    dialog.SetMessage("Strip 4 of 9");
    PostClick(window, IDC_DEBUG_LOCK);
    dialog.Pause();
    EXPECT_FALSE(dialog.IsLocked());
    EXPECT_EQ(TextOf(Item(dialog, IDC_DEBUG_LOCK)), "LOCK");
    EXPECT_FALSE(IsWindowEnabled(Item(dialog, IDC_DEBUG_SKIP)));
    EXPECT_EQ(TextOf(Item(dialog, IDC_DEBUG_MESSAGE)), "Strip 4 of 9");
    // LOCK switches stopping on again.
    PostClick(window, IDC_DEBUG_LOCK);
    PumpAll();
    EXPECT_TRUE(dialog.IsLocked());
    EXPECT_EQ(TextOf(Item(dialog, IDC_DEBUG_LOCK)), "UnLOCK");
}

TEST_F(Debug, SkipEndsOneStopAndTheNextStopHoldsAgain) {
    DebugDialog dialog(TRUE);
    HWND window = Open(dialog);
    PostClick(window, IDC_DEBUG_SKIP);
    dialog.Pause();
    EXPECT_TRUE(dialog.IsLocked());
    EXPECT_EQ(TextOf(Item(dialog, IDC_DEBUG_LOCK)), "UnLOCK");
    // A second stop is not let go by the first Skip: only a new one ends it.
    UINT_PTR timer = SetTimer(nullptr, 0, 20, UnlockOnThirdTick);
    dialog.Pause();
    KillTimer(nullptr, timer);
    EXPECT_GE(gTicks, 3);
    EXPECT_FALSE(dialog.IsLocked());
}

TEST_F(Debug, OtherWindowsOfTheThreadRunWhileHeld) {
    DebugDialog dialog(TRUE);
    Open(dialog);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, UnlockOnThirdTick);
    dialog.Pause();
    KillTimer(nullptr, timer);
    EXPECT_EQ(gTicks, 3);
}

TEST_F(Debug, DiscardHidesTheWindowAndLetsStopsPassUntilTheNextPause) {
    DebugDialog dialog(TRUE);
    HWND window = Open(dialog);
    PostClick(window, IDC_DEBUG_DISCARD);
    dialog.Pause();
    EXPECT_TRUE(dialog.IsDiscarded());
    EXPECT_FALSE(IsWindowVisible(window));
    dialog.WaitForUser();  // returns at once
    // The next Pause shows the dialog and stops again.
    PostClick(window, IDC_DEBUG_SKIP);
    dialog.Pause();
    EXPECT_FALSE(dialog.IsDiscarded());
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(Debug, CloseBoxDiscardsRatherThanHoldingAHiddenStop) {
    DebugDialog dialog(TRUE);
    HWND window = Open(dialog);
    PostMessageA(window, WM_CLOSE, 0, 0);
    dialog.Pause();
    EXPECT_TRUE(dialog.IsDiscarded());
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(Debug, MinimizedStopKeepsTheOldMessage) {
    DebugDialog dialog(TRUE);
    HWND window = Open(dialog);
    dialog.SetMessage("first");
    PostCommand(window, IDC_DEBUG_SKIP);
    dialog.Pause();
    ShowWindow(window, SW_MINIMIZE);
    PumpAll();
    dialog.SetMessage("second");
    PostCommand(window, IDC_DEBUG_SKIP);
    dialog.WaitForUser();
    EXPECT_EQ(TextOf(Item(dialog, IDC_DEBUG_MESSAGE)), "first");
    // Pause restores the window, and the message with it.
    PostCommand(window, IDC_DEBUG_SKIP);
    dialog.Pause();
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(TextOf(Item(dialog, IDC_DEBUG_MESSAGE)), "second");
}

TEST_F(Debug, NoWindowMeansNoStop) {
    DebugDialog never(TRUE);
    never.Pause();  // never opened: nothing could let it go
    DebugDialog dialog(TRUE);
    Open(dialog);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, DestroyHeld);
    dialog.Pause();  // destroyed while held
    KillTimer(nullptr, timer);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(Debug, LongMessagesAreCutToTheBuffer) {
    DebugDialog dialog(TRUE);
    HWND window = Open(dialog);
    dialog.SetMessage(std::string(300, 'x').c_str());
    PostCommand(window, IDC_DEBUG_SKIP);
    dialog.Pause();
    EXPECT_EQ(TextOf(Item(dialog, IDC_DEBUG_MESSAGE)), std::string(127, 'x'));
}

}  // namespace
