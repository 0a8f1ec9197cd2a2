// Mouse capture, keyboard focus, and where user input lands.
#include "support.h"

#include <thread>

namespace {

class Input : public UserTest {};

std::vector<Recorded> Of(HWND window, UINT message) {
    std::vector<Recorded> found;
    for (const Recorded &r : RecordedMessages()) {
        if (r.window == window && r.message == message) found.push_back(r);
    }
    return found;
}

// Takes the next message of this thread.
MSG Next() {
    MSG msg = {};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    return msg;
}

}  // namespace

TEST_F(Input, CaptureChangesTellTheWindowThatLostIt) {
    HWND a = CreateRecorder("a");
    HWND b = CreateRecorder("b");
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(GetCapture(), b);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(Of(a, WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(Of(a, WM_CAPTURECHANGED)[0].lParam), b);
    ASSERT_EQ(Of(b, WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ(Of(b, WM_CAPTURECHANGED)[0].lParam, 0);

    SetCapture(a);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), nullptr) << "a destroyed window kept the capture";
    DestroyWindow(b);
}

TEST_F(Input, CaptureAndFocusAreEachThreadsOwn) {
    HWND window = CreateRecorder();
    HWND captured = window;
    HWND focused = window;
    std::thread([&] {
        captured = SetCapture(window);
        focused = SetFocus(window);
    }).join();
    EXPECT_EQ(captured, nullptr);
    EXPECT_EQ(focused, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    DestroyWindow(window);
}

TEST_F(Input, FocusMovesWithKillFocusThenSetFocus) {
    HWND a = CreateRecorder("a");
    HWND b = CreateRecorder("b");
    SetFocus(a);
    ClearRecorded();
    EXPECT_EQ(SetFocus(b), a);
    std::vector<Recorded> all = RecordedMessages();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].window, a);
    EXPECT_EQ(all[0].message, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(all[1].window, b);
    EXPECT_EQ(all[1].message, static_cast<UINT>(WM_SETFOCUS));
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), nullptr);
    DestroyWindow(a);
}

TEST_F(Input, TheCaptureWindowGetsTheMouseInItsOwnCoordinates) {
    HWND a = CreateRecorder("a", nullptr, 0, WS_VISIBLE);  // at 10,20
    HWND b =
        CreateWindowExA(0, "UserTestRecorder", "b", WS_VISIBLE, 500, 500, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetCapture(a);
    ASSERT_TRUE(WinLayer_PostMouseInput(WM_LBUTTONDOWN, 510, 505));
    MSG msg = Next();
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), 500);
    EXPECT_EQ(GET_Y_LPARAM(msg.lParam), 485);
    EXPECT_EQ(msg.pt.x, 510);

    ReleaseCapture();
    ASSERT_TRUE(WinLayer_PostMouseInput(WM_LBUTTONUP, 510, 505));
    msg = Next();
    EXPECT_EQ(msg.hwnd, b);
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), 10);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(Input, WithoutCaptureTheFrontmostEnabledWindowUnderThePointGetsIt) {
    HWND back =
        CreateWindowExA(0, "UserTestRecorder", "", WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND front =
        CreateWindowExA(0, "UserTestRecorder", "", WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    HWND label =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, front, nullptr, nullptr, nullptr);
    HWND hidden = CreateWindowExA(0, "UserTestRecorder", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    (void)label;
    SetWindowPos(back, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_TRUE(WinLayer_PostMouseInput(WM_MOUSEMOVE, 5, 5));
    EXPECT_EQ(Next().hwnd, back);
    SetWindowPos(back, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(front, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_TRUE(WinLayer_PostMouseInput(WM_MOUSEMOVE, 5, 5));
    EXPECT_EQ(Next().hwnd, front) << "a plain static control lets the mouse through to its parent";
    EnableWindow(front, FALSE);
    EXPECT_FALSE(WinLayer_PostMouseInput(WM_MOUSEMOVE, 5, 5));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    for (HWND w : {back, front, hidden}) DestroyWindow(w);
}
