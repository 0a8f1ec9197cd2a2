// The progress dialog as a copying loop drives it: percentages, the timer,
// Cancel by mouse, and the text bar on a terminal.
#include "ui/progress_dialog.h"
#include "ui/resource.h"
#include "winlayer_test.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> gMessages;
int RecordMessage(void *, const char *text, const char *, UINT) {
    gMessages.push_back(text);
    return IDOK;
}

void PumpAll() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

POINT CentreOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class Progress : public ::testing::Test {
protected:
    void SetUp() override {
        gMessages.clear();
        WinLayer_SetMessageBoxQuiet(TRUE);
        WinLayer_SetMessageBoxHook(RecordMessage, nullptr);
        windowsBefore_ = WinLayer_LiveWindows();
        contextsBefore_ = WinLayer_LiveDeviceContexts();
    }
    void TearDown() override {
        WinLayer_SetMessageBoxHook(nullptr, nullptr);
        WinLayer_FailNthSetTimer(0);
        PumpAll();
        EXPECT_EQ(WinLayer_LiveWindows(), windowsBefore_);
        EXPECT_EQ(WinLayer_LiveDeviceContexts(), contextsBefore_);
        EXPECT_FALSE(ProgressDialog::IsActive());
    }
    HWND Bar(const ProgressDialog &dialog) { return GetDlgItem(dialog.m_hWnd, IDC_PROGRESS_BAR); }
    WinLayerTextOut Drawn(const ProgressDialog &dialog) {
        WinLayerTextOut out{};
        WinLayer_GetLastTextOut(Bar(dialog), &out);
        return out;
    }
    long windowsBefore_ = 0, contextsBefore_ = 0;
    ProgressCount progress_ = {};
};

TEST_F(Progress, OpensCentredAndTopmostWithTheTransferCaption) {
    ProgressDialog dialog(&progress_);
    ASSERT_EQ(dialog.Open(PROGRESS_TITLE), 1);
    char caption[64];
    GetWindowTextA(dialog.m_hWnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Image Data Transferring...");
    EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
    RECT window;
    GetWindowRect(dialog.m_hWnd, &window);
    HDC screen = GetDC(nullptr);
    int left = (GetDeviceCaps(screen, HORZRES) - (window.right - window.left)) >> 1;
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(window.left, left);
    // The bar's frame is drawn once, two pixels outside it.
    WinLayerRectangle frame{};
    ASSERT_TRUE(WinLayer_GetLastRectangle(dialog.m_hWnd, &frame));
    RECT bar;
    GetWindowRect(Bar(dialog), &bar);
    EXPECT_EQ(frame.rect.right - frame.rect.left, bar.right - bar.left + 4);
    EXPECT_EQ(GetCapture(), dialog.m_hWnd);
}

TEST_F(Progress, DrawsOnlyWhenTheWholePercentageChanges) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    ASSERT_EQ(dialog.Begin(0, 1000), 1);
    EXPECT_TRUE(ProgressDialog::IsActive());
    WinLayerTextOut first = Drawn(dialog);
    EXPECT_STREQ(first.text, "0%");
    EXPECT_EQ(first.count, 2);  // the filled part, then the rest
    for (TW_UINT32 value = 10; value < 20; ++value) dialog.Update(value);
    WinLayerTextOut one = Drawn(dialog);
    EXPECT_STREQ(one.text, "1%");
    EXPECT_EQ(one.count, 4);
    dialog.Update(500);
    WinLayerTextOut half = Drawn(dialog);
    EXPECT_STREQ(half.text, "50%");
    // The rest of the bar: white, with the text in blue, from the split on.
    EXPECT_EQ(half.background, 0xFFFFFFu);
    EXPECT_EQ(half.foreground, 0xFF0000u);
    EXPECT_EQ(half.options, (UINT)(ETO_CLIPPED | ETO_OPAQUE));
    RECT bar;
    GetClientRect(Bar(dialog), &bar);
    EXPECT_EQ(half.rect.left, bar.right / 2);
    EXPECT_EQ(half.rect.right, bar.right);
    EXPECT_EQ(half.x, bar.right / 2);
    dialog.End();
}

TEST_F(Progress, EndShowsTheEndOnceAndClosesTheWindow) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 4);
    HWND bar = Bar(dialog);
    dialog.Update(2);
    dialog.End();
    WinLayerTextOut end{};
    ASSERT_TRUE(WinLayer_GetLastTextOut(bar, &end));
    EXPECT_STREQ(end.text, "100%");
    EXPECT_FALSE(IsWindow(dialog.m_hWnd));
    EXPECT_FALSE(ProgressDialog::IsActive());

    ProgressDialog done(&progress_);
    done.Open(PROGRESS_TITLE);
    done.Begin(0, 4);
    done.Update(4);
    long drawn = Drawn(done).count;
    HWND doneBar = Bar(done);
    done.End();
    WinLayerTextOut after{};
    WinLayer_GetLastTextOut(doneBar, &after);
    EXPECT_EQ(after.count, drawn);  // 100 % was already shown
}

TEST_F(Progress, CountsPastTheEndShowAboveAHundredWithTheWholeBarDone) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 200);
    dialog.Update(0xFFFF);
    WinLayerTextOut drawn = Drawn(dialog);
    EXPECT_STREQ(drawn.text, "32767%");
    RECT bar;
    GetClientRect(Bar(dialog), &bar);
    EXPECT_GT(drawn.rect.left, bar.right);  // nothing left undone
}

TEST_F(Progress, TimerRedrawsFromTheCounter) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    progress_.steps = 7;
    Sleep(150);
    PumpAll();
    EXPECT_STREQ(Drawn(dialog).text, "70%");
    dialog.End();
}

TEST_F(Progress, OnlyOneRunsAtATime) {
    ProgressDialog first(&progress_);
    first.Open(PROGRESS_TITLE);
    ASSERT_EQ(first.Begin(0, 10), 1);
    ProgressCount other = {};
    ProgressDialog second(&other);
    second.Open(PROGRESS_TITLE);
    EXPECT_EQ(second.Begin(0, 10), 0);
    EXPECT_EQ(Drawn(second).count, 0);
    first.End();
    EXPECT_EQ(second.Begin(0, 10), 1);  // free again once the first ended
}

TEST_F(Progress, WithoutATimerItTellsTheUserAndDrawsNothing) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    WinLayer_FailNthSetTimer(1);
    EXPECT_EQ(dialog.Begin(0, 10), 0);
    EXPECT_EQ(gMessages, std::vector<std::string>{"Error!\nTimer NULL"});
    EXPECT_FALSE(ProgressDialog::IsActive());
    EXPECT_EQ(Drawn(dialog).count, 0);
}

TEST_F(Progress, ClickOnCancelMarksTheCounter) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    progress_.steps = 3;
    POINT cancel = CentreOf(GetDlgItem(dialog.m_hWnd, IDCANCEL));
    ASSERT_TRUE(WinLayer_PostMouseInput(WM_LBUTTONDOWN, cancel.x, cancel.y));
    PumpAll();
    ASSERT_TRUE(WinLayer_PostMouseInput(WM_LBUTTONUP, cancel.x, cancel.y));
    PumpAll();
    EXPECT_TRUE(progress_.cancelled);
    EXPECT_NE(progress_.steps, 0xFFFFu);  // the press never shows as a count
}

TEST_F(Progress, PressReleasedOutsideCancelDoesNotCancel) {
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    POINT cancel = CentreOf(GetDlgItem(dialog.m_hWnd, IDCANCEL));
    WinLayer_PostMouseInput(WM_LBUTTONDOWN, cancel.x, cancel.y);
    PumpAll();
    WinLayer_PostMouseInput(WM_LBUTTONUP, cancel.x + 300, cancel.y + 300);
    PumpAll();
    EXPECT_FALSE(progress_.cancelled);
    EXPECT_EQ(GetCapture(), dialog.m_hWnd);  // taken back for the next press
}

TEST_F(Progress, ClicksElsewhereReachNoOtherWindow) {
    HWND other =
        CreateWindowExA(0, "BUTTON", "other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
    ProgressDialog dialog(&progress_);
    dialog.Open(PROGRESS_TITLE);
    dialog.Begin(0, 10);
    WinLayer_PostMouseInput(WM_LBUTTONDOWN, 5, 5);
    PumpAll();
    EXPECT_EQ(GetCapture(), dialog.m_hWnd);
    EXPECT_FALSE(progress_.cancelled);
    dialog.End();
    DestroyWindow(other);
}

TEST_F(Progress, DestroyedWhileRunningFreesTheTimerAndTheFlag) {
    {
        ProgressDialog dialog(&progress_);
        dialog.Open(PROGRESS_TITLE);
        dialog.Begin(0, 10);
    }
    EXPECT_FALSE(ProgressDialog::IsActive());
}

TEST_F(Progress, TerminalShowsTheBarInPlace) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    WinLayer_SetTerminalDisplay(pipeEnds[1]);
    {
        ProgressDialog dialog(&progress_);
        dialog.Open(PROGRESS_TITLE);
        dialog.Begin(0, 4);
        dialog.Update(2);
        dialog.End();
    }
    WinLayer_SetTerminalDisplay(-1);
    close(pipeEnds[1]);
    char buffer[1024] = {};
    ssize_t got = read(pipeEnds[0], buffer, sizeof buffer - 1);
    close(pipeEnds[0]);
    ASSERT_GT(got, 0);
    std::string shown(buffer);
    EXPECT_NE(shown.find("\rImage Data Transferring... [" + std::string(20, '#') + std::string(20, '.') + "]   50%"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("[" + std::string(40, '#') + "]  100%\n"), std::string::npos) << shown;
}

}  // namespace
