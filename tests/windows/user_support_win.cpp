// The user-side tests' support (tests/platform_user/support.h) over the real
// Win32 user interface, so that the tests written against our Linux layer
// also run against Windows itself (Wine here): where the two disagree, one of
// them is wrong. Windows has no count of live device contexts; the windows of
// the process are counted by enumeration.
#include "support.h"

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long *>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    // The system's own helper windows of the process come and go by themselves.
    if (lstrcmpiA(className, "IME") == 0 || lstrcmpiA(className, "Message") == 0) return TRUE;
    ++*reinterpret_cast<long *>(count);
    EnumChildWindows(window, CountChild, count);
    return TRUE;
}

long LiveWindows() {
    long count = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

void UserTest::SetUp() {
    RegisterRecorder();
    DrainQueue();
    ClearRecorded();
    windowsBefore_ = LiveWindows();
}

void UserTest::TearDown() {
    EXPECT_EQ(LiveWindows(), windowsBefore_) << "a window was left behind";
    ReleaseCapture();
    SetFocus(nullptr);
    DrainQueue();
}
