// The recorder window class of the user-side tests, the same over our Linux
// layer and over Windows itself.
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

}  // namespace

void RegisterRecorder() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecorderProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "UserTestRecorder";
    registered = RegisterClassA(&wc) != 0;
}

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
