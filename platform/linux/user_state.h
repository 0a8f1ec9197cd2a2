// The records behind the user side of the layer: window classes, windows,
// per-thread message queues with their timers, device contexts. One mutex
// guards all of them; window procedures are always called with it released,
// because they call back into the layer.
#ifndef QR_PLATFORM_LINUX_USER_STATE_H
#define QR_PLATFORM_LINUX_USER_STATE_H

#include "win32.h"
#include "winlayer_test.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace userlayer {

using Clock = std::chrono::steady_clock;
using Lock = std::unique_lock<std::mutex>;

// Error codes of the user side that win32.h does not carry.
constexpr DWORD kErrorCannotFindClass = 1407;
constexpr DWORD kErrorChildWithoutParent = 1406;
constexpr DWORD kErrorClassAlreadyExists = 1410;
constexpr DWORD kErrorInvalidIndex = 1413;
constexpr DWORD kErrorControlIdNotFound = 1421;
constexpr DWORD kErrorInvalidThreadId = 1444;
constexpr DWORD kErrorNoSystemResources = 1450;
constexpr DWORD kErrorMessageSyncOnly = 1159;
constexpr DWORD kErrorNotEnoughQuota = 1816;
constexpr DWORD kErrorResourceTypeNotFound = 1813;
constexpr DWORD kErrorResourceNameNotFound = 1814;

// Window longs and flags that win32.h leaves out.
constexpr int kGwlStyle = -16;
constexpr int kGwlExStyle = -20;
constexpr int kGwlpHwndParent = -8;
constexpr int kDwlpDlgProc = static_cast<int>(sizeof(LRESULT));
constexpr int kDialogExtraBytes = 3 * static_cast<int>(sizeof(LONG_PTR));
constexpr UINT kClassGlobal = 0x4000;  // CS_GLOBALCLASS
constexpr WORD kDialogClassAtom = 32770;
constexpr WORD kBnClicked = 0;
constexpr UINT kMkLButton = 0x0001;

// The virtual screen every top-level window lives on.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

struct WindowClass {
    WORD atom;
    std::string name;
    WNDPROC proc;
    int extraBytes;
    HINSTANCE instance;
    UINT style;
    bool system;
};

struct Window {
    HWND handle = nullptr;
    const WindowClass *windowClass = nullptr;
    WNDPROC proc = nullptr;
    std::string text;
    DWORD style = 0;             // WS_VISIBLE, WS_DISABLED and WS_MINIMIZE carry the state
    DWORD exStyle = 0;           // WS_EX_TOPMOST carries the z-order band
    HWND parent = nullptr;       // the parent of a child window
    HWND owner = nullptr;        // the owner of a top-level window
    std::vector<HWND> children;  // creation order: the tab order of a dialog
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<unsigned char> extra;  // the class's cbWndExtra bytes
    RECT rect = {0, 0, 0, 0};          // in the parent's client area, or on the screen
    DWORD thread = 0;
    uint64_t zOrder = 0;  // larger is nearer the front
    bool destroying = false;
    bool pressed = false;  // a button held down
    bool isDialog = false;
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
};

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT interval;
    TIMERPROC proc;
    Clock::time_point due;
};

// A SendMessage waiting for another thread to run the window procedure.
struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    bool done;
    std::condition_variable *senderWake;
};

struct ThreadQueue {
    DWORD thread = 0;
    std::deque<MSG> posted;
    std::deque<SentMessage *> sent;
    std::vector<Timer> timers;
    bool quitPosted = false;
    int quitCode = 0;
    HWND capture = nullptr;
    HWND focus = nullptr;
    std::condition_variable wake;  // a post, a send or a new timer arrived
};

struct DeviceContext {
    HWND window;
    COLORREF background;
    COLORREF foreground;
    UINT align;
    int rop2;
    HGDIOBJ brush;
    HGDIOBJ pen;
    HGDIOBJ font;
};

struct Drawing {
    WinLayerTextOut lastText;
    WinLayerRectangle lastRectangle;
};

struct UserState {
    std::mutex mutex;
    std::unordered_map<HWND, std::unique_ptr<Window>> windows;
    uintptr_t nextWindowHandle = 0x10020;
    uint64_t nextZOrder = 1;
    std::vector<std::unique_ptr<WindowClass>> classes;
    std::map<std::string, WORD> atoms;  // upper-cased name to atom
    WORD nextAtom = 0xC000;
    std::map<DWORD, std::unique_ptr<ThreadQueue>> queues;
    UINT_PTR nextThreadTimerId = 0x7F00;
    long failSetTimerCountdown = 0;
    std::unordered_map<HDC, DeviceContext> deviceContexts;
    uintptr_t nextDeviceContext = 0x2000010;
    std::unordered_map<HWND, Drawing> drawings;
    POINT cursor = {0, 0};
    bool leftButtonDown = false;
    WinLayerMessageBoxHook messageBoxHook = nullptr;
    void *messageBoxContext = nullptr;
    bool messageBoxQuiet = false;
};

// The one state of the process; never destroyed, so that modules unloaded at
// exit may still destroy their windows.
UserState &State();
Lock LockState();

// ---- lookups; all of these expect the lock held
Window *FindWindowRecord(HWND window);
// The calling thread's queue, made on first use.
ThreadQueue &CurrentQueue();
ThreadQueue *FindQueue(DWORD thread);
DWORD CurrentThread();
// Null when the window is unknown, with ERROR_INVALID_WINDOW_HANDLE set.
Window *RequireWindow(HWND window);

// ---- helpers shared by the files of the user side (lock held unless noted)
std::string UpperCase(const char *text);
RECT FrameInsets(DWORD style, DWORD exStyle);
POINT ClientOriginOnScreen(const Window &window);
RECT WindowRectOnScreen(const Window &window);
RECT ClientRectOf(const Window &window);
bool IsDescendant(HWND ancestor, HWND window);
// Copies a window's text into a caller's buffer of `size` characters, cut to
// fit and always terminated; returns the characters copied.
int CopyWindowText(const Window &window, LPSTR buffer, int size);
// Top-level windows, topmost band first, then nearest the front first.
std::vector<Window *> TopLevelWindowsFrontToBack();
const WindowClass *FindClass(LPCSTR name, HINSTANCE instance);
const WindowClass *SystemClass(const char *name);
WORD AddAtom(const char *name);
// Forgets a window that has received WM_NCDESTROY: its timers, queued
// messages, capture, focus and drawing contexts go with it.
void FreeWindowRecord(HWND window);
// Forgets a window and everything inside it without a message: for the
// windows of a thread that has ended, whose procedures cannot run any more.
void FreeWindowTree(HWND window);
void ReleaseWindowDrawing(HWND window);
// Takes the next message for the filter from the queue: posted messages,
// then the quit request, then a due timer. Never waits.
bool TakeMessage(ThreadQueue &queue, HWND filter, UINT first, UINT last, UINT remove, MSG *out);
bool TakeDueTimer(ThreadQueue &queue, HWND filter, UINT first, UINT last, UINT remove, MSG *out);
bool NextTimerDue(const ThreadQueue &queue, HWND filter, UINT first, UINT last, Clock::time_point *due);
// The procedure of a live timer of this thread that a WM_TIMER names, or null:
// DispatchMessage calls nothing that a forged message points at.
TIMERPROC FindTimerProc(HWND window, UINT_PTR id, LPARAM proc);
bool MessageInRange(UINT message, UINT first, UINT last);
// Appends a message to a queue and wakes its thread; FALSE when it is full.
BOOL PostToQueue(ThreadQueue &queue, const MSG &message);
bool WindowMatchesFilter(HWND window, HWND filter);
MSG MakeMessage(HWND window, UINT message, WPARAM w, LPARAM l);

// ---- without the lock held
// The next visible, enabled WS_TABSTOP control of a dialog after `from`
// (from the start when `from` is null or not a control of it), wrapping round;
// null when the dialog has none.
HWND NextTabStop(HWND dialog, HWND from);
// Runs the window procedures of messages other threads sent to this one.
void DeliverSentMessages();
LRESULT ButtonProc(HWND window, UINT message, WPARAM w, LPARAM l);
LRESULT EditProc(HWND window, UINT message, WPARAM w, LPARAM l);
LRESULT DialogProc(HWND window, UINT message, WPARAM w, LPARAM l);

}  // namespace userlayer

#endif
