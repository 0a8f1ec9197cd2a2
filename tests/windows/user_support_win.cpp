// The user-side tests' support (tests/platform_user/support.h) over the real
// Win32 user interface, so that the tests written against our Linux layer
// also run against Windows itself (Wine here): where the two disagree, one of
// them is wrong. Windows has no count of live device contexts; the windows of
// the process are counted by enumeration.
#include "support.h"

#include <mutex>

namespace {

std::mutex gRecordMutex;
std::vector<Recorded> gRecorded;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    {
        std::lock_guard<std::mutex> lock(gRecordMutex);
        gRecorded.push_back(Recorded{window, message, w, l, GetCurrentThreadId()});
    }
    return DefWindowProcA(window, message, w, l);
}

void RegisterRecorder() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "UserTestRecorder";
    registered = RegisterClassA(&wc) != 0;
}

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

std::vector<Recorded> RecordedMessages() {
    std::lock_guard<std::mutex> lock(gRecordMutex);
    return gRecorded;
}

std::vector<UINT> RecordedFor(HWND window) {
    std::vector<UINT> messages;
    for (const Recorded &r : RecordedMessages()) {
        if (r.window == window) messages.push_back(r.message);
    }
    return messages;
}

void ClearRecorded() {
    std::lock_guard<std::mutex> lock(gRecordMutex);
    gRecorded.clear();
}

HWND CreateRecorder(const char *title, HWND parent, int id, DWORD style) {
    RegisterRecorder();
    if (parent != nullptr) style |= WS_CHILD;
    return CreateWindowExA(0, "UserTestRecorder", title, style, 10, 20, 200, 100, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

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
