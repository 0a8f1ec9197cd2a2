// Which object handles which window, for the windows this copy of the library
// created or subclassed, and the message being handled on each thread.
#include "afx_internal.h"

#include <mutex>
#include <unordered_map>

namespace afxinternal {

namespace {

std::mutex gMapMutex;
std::unordered_map<HWND, CWnd *> gWindowMap;
thread_local MSG tCurrentMessage = {};

}  // namespace

CWnd *LookupWindow(HWND window) {
    std::lock_guard<std::mutex> lock(gMapMutex);
    auto found = gWindowMap.find(window);
    return found != gWindowMap.end() ? found->second : nullptr;
}

bool BindWindow(HWND window, CWnd *object) {
    std::lock_guard<std::mutex> lock(gMapMutex);
    return gWindowMap.emplace(window, object).second;
}

void UnbindWindow(HWND window) {
    std::lock_guard<std::mutex> lock(gMapMutex);
    gWindowMap.erase(window);
}

const MSG &CurrentMessage() { return tCurrentMessage; }

CurrentMessageScope::CurrentMessageScope(HWND window, UINT message, WPARAM w, LPARAM l) : m_saved(tCurrentMessage) {
    tCurrentMessage = MSG();
    tCurrentMessage.hwnd = window;
    tCurrentMessage.message = message;
    tCurrentMessage.wParam = w;
    tCurrentMessage.lParam = l;
}

CurrentMessageScope::~CurrentMessageScope() { tCurrentMessage = m_saved; }

}  // namespace afxinternal
