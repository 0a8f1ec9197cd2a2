// The fixture of the user-side tests over our Linux layer.
#include "support.h"

void UserTest::SetUp() {
    RegisterRecorder();
    WinLayer_SetMessageBoxQuiet(TRUE);
    DrainQueue();
    ClearRecorded();
    windowsBefore_ = WinLayer_LiveWindows();
    contextsBefore_ = WinLayer_LiveDeviceContexts();
}

void UserTest::TearDown() {
    EXPECT_EQ(WinLayer_LiveWindows(), windowsBefore_) << "a window was left behind";
    EXPECT_EQ(WinLayer_LiveDeviceContexts(), contextsBefore_) << "a device context was left behind";
    ReleaseCapture();
    SetFocus(nullptr);
    WinLayer_SetMessageBoxHook(nullptr, nullptr);
    DrainQueue();
}
