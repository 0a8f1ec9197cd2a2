// The progress dialog on the real Win32 user interface: where it appears,
// what the bar looks like on the screen, and the mouse as the user moves and
// presses it (SendInput), held by the dialog's capture.
#include "ui/progress_dialog.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const COLORREF kBlue = 0xFF0000;
const COLORREF kWhite = 0xFFFFFF;

void PumpAll() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Pumps for a while, as a transfer loop does between its steps.
void PumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        PumpAll();
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

POINT CentreOnScreen(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The real mouse: moves to the point, then presses or releases the left
// button there.
void Mouse(POINT at, DWORD buttonFlag) {
    INPUT input[2] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input[0].mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = buttonFlag;
    SendInput(2, input, sizeof input[0]);
    PumpFor(50);
}

// The colours in a column band of the bar as it is on the screen.
std::set<COLORREF> ColoursIn(HWND bar, int fromX, int toX) {
    std::set<COLORREF> colours;
    RECT client;
    GetClientRect(bar, &client);
    HDC dc = GetDC(bar);
    for (int x = fromX; x < toX; ++x) {
        for (int y = 0; y < client.bottom; ++y) colours.insert(GetPixel(dc, x, y));
    }
    ReleaseDC(bar, dc);
    return colours;
}

// Both colours, and nothing but shades between them.
::testing::AssertionResult OnlyBlueAndWhite(const std::set<COLORREF> &colours) {
    if (!colours.count(kBlue) || !colours.count(kWhite)) return ::testing::AssertionFailure() << "missing a colour";
    for (COLORREF colour : colours) {
        if (GetBValue(colour) != 0xFF || GetRValue(colour) != GetGValue(colour))
            return ::testing::AssertionFailure() << std::hex << colour << " is no blend of blue and white";
    }
    return ::testing::AssertionSuccess();
}

class ProgressOnWindows : public ::testing::Test {
protected:
    void TearDown() override {
        ReleaseCapture();
        PumpAll();
        EXPECT_FALSE(ProgressDialog::IsActive());
    }
    HWND Bar(const ProgressDialog &dialog) { return GetDlgItem(dialog.m_hWnd, IDC_PROGRESS_BAR); }
    HWND Cancel(const ProgressDialog &dialog) { return GetDlgItem(dialog.m_hWnd, IDCANCEL); }
    ProgressCount progress_ = {};
};

TEST_F(ProgressOnWindows, OpensCentredTopmostAndHoldingTheMouse) {
    ProgressDialog dialog(&progress_);
    ASSERT_EQ(dialog.Open(PROGRESS_TITLE), 1);
    char caption[64] = {};
    GetWindowTextA(dialog.m_hWnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Image Data Transferring...");
    RECT frame;
    GetWindowRect(dialog.m_hWnd, &frame);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) >> 1);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) >> 1);
    EXPECT_NE(GetWindowLongA(dialog.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
    EXPECT_EQ(GetCapture(), dialog.m_hWnd);
    dialog.End();
    EXPECT_FALSE(IsWindow(dialog.m_hWnd));
}

TEST_F(ProgressOnWindows, BarShowsTheDonePartBlueAndTheRestWhiteWithThePercentageInBoth) {
    ProgressDialog dialog(&progress_);
    ASSERT_EQ(dialog.Open(PROGRESS_TITLE), 1);
    ASSERT_EQ(dialog.Begin(0, 100), 1);
    PumpFor(50);  // the controls have painted themselves
    dialog.Update(50);
    RECT bar;
    GetClientRect(Bar(dialog), &bar);
    int half = bar.right / 2;
    // Away from the text: plain fields.
    EXPECT_EQ(ColoursIn(Bar(dialog), 0, 3), std::set<COLORREF>{kBlue});
    EXPECT_EQ(ColoursIn(Bar(dialog), bar.right - 3, bar.right), std::set<COLORREF>{kWhite});
    // Around the centred "50%": white on blue, then blue on white, with the
    // font's smoothing in between.
    EXPECT_TRUE(OnlyBlueAndWhite(ColoursIn(Bar(dialog), half - 25, half)));
    EXPECT_TRUE(OnlyBlueAndWhite(ColoursIn(Bar(dialog), half, half + 25)));
    dialog.Update(100);
    EXPECT_EQ(ColoursIn(Bar(dialog), bar.right - 3, bar.right), std::set<COLORREF>{kBlue});
    dialog.End();
}

// The frame is drawn once, two pixels outside the bar, and survives the
// dialog's own painting; a count far beyond the end fills the bar and
// nothing beside it.
TEST_F(ProgressOnWindows, FrameStaysAroundTheBarAndCountsPastTheEndStayInsideIt) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 200);
    PumpFor(100);
    RECT bar;
    GetWindowRect(Bar(dialog), &bar);
    POINT topLeft = {bar.left, bar.top}, bottomRight = {bar.right, bar.bottom};
    ScreenToClient(dialog.m_hWnd, &topLeft);
    ScreenToClient(dialog.m_hWnd, &bottomRight);
    int middleY = (topLeft.y + bottomRight.y) / 2;
    HDC dc = GetDC(dialog.m_hWnd);
    EXPECT_EQ(GetPixel(dc, topLeft.x - 2, middleY), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, bottomRight.x + 1, middleY), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, (topLeft.x + bottomRight.x) / 2, topLeft.y - 2), RGB(0, 0, 0));
    COLORREF beside = GetPixel(dc, bottomRight.x + 4, middleY);
    dialog.Update(0xFFFF);
    EXPECT_EQ(ColoursIn(Bar(dialog), bottomRight.x - topLeft.x - 3, bottomRight.x - topLeft.x),
              std::set<COLORREF>{kBlue});
    EXPECT_EQ(GetPixel(dc, bottomRight.x + 1, middleY), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, bottomRight.x + 4, middleY), beside);
    ReleaseDC(dialog.m_hWnd, dc);
    dialog.End();
}

TEST_F(ProgressOnWindows, TimerRedrawsFromTheCounterWhileTheLoopPumps) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    PumpFor(50);
    progress_.steps = 10;
    PumpFor(300);  // three ticks of the 100 ms timer
    RECT bar;
    GetClientRect(Bar(dialog), &bar);
    EXPECT_EQ(ColoursIn(Bar(dialog), bar.right - 3, bar.right), std::set<COLORREF>{kBlue});
    dialog.End();
}

TEST_F(ProgressOnWindows, MouseClickOnCancelMarksTheCounter) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    PumpFor(50);
    POINT cancel = CentreOnScreen(Cancel(dialog));
    Mouse(cancel, MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(GetCapture(), Cancel(dialog));  // the button holds the mouse while pressed
    Mouse(cancel, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(progress_.cancelled);
    EXPECT_NE(progress_.steps, 0xFFFFu);  // the press never shows as a count
    EXPECT_FALSE(IsWindowVisible(dialog.m_hWnd));
}

TEST_F(ProgressOnWindows, PressOnCancelReleasedElsewhereDoesNotCancelAndTheDialogTakesTheMouseBack) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    PumpFor(50);
    POINT cancel = CentreOnScreen(Cancel(dialog));
    Mouse(cancel, MOUSEEVENTF_LEFTDOWN);
    Mouse({cancel.x - 150, cancel.y - 60}, MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(progress_.cancelled);
    EXPECT_EQ(GetCapture(), dialog.m_hWnd);
    dialog.End();
}

TEST_F(ProgressOnWindows, ClicksOutsideCancelReachNoOtherWindow) {
    HWND other = CreateWindowExA(0, "BUTTON", "other", WS_POPUP | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 80, 40, nullptr,
                                 nullptr, nullptr, nullptr);
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    PumpFor(50);
    Mouse({20, 20}, MOUSEEVENTF_LEFTDOWN);
    Mouse({20, 20}, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(GetCapture(), dialog.m_hWnd);
    EXPECT_EQ(SendMessageA(other, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    EXPECT_FALSE(progress_.cancelled);
    dialog.End();
    DestroyWindow(other);
}

}  // namespace
