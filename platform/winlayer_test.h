// Controls of the Linux layer that exist for tests only: leak counts, fault
// injection and a hook that sees every message box.
#ifndef QR_PLATFORM_WINLAYER_TEST_H
#define QR_PLATFORM_WINLAYER_TEST_H

#include "win32.h"

#if !defined(_WIN32)

// Number of live global-memory handles (allocated and not yet freed).
WINBASEAPI long WinLayer_LiveGlobalHandles(void);
// Number of live blocks of the process heap (HeapAlloc not yet HeapFree).
WINBASEAPI long WinLayer_LiveHeapBlocks(void);

// Counters of calls made since the last reset, for fault-injection sweeps.
struct WinLayerCounters {
    long globalAllocs;  // GlobalAlloc and growing GlobalReAlloc calls
    long fileWrites;    // _lwrite calls
    long fileReads;     // _lread calls
    long heapAllocs;    // HeapAlloc calls
};
WINBASEAPI void WinLayer_GetCounters(WinLayerCounters *out);
WINBASEAPI void WinLayer_ResetCounters(void);

// Fault injection: the n-th call from now (1 = the next one) fails; 0 turns the
// fault off. A failed allocation returns NULL; a failed write or read moves
// fewer bytes than asked (none) and reports that short count.
WINBASEAPI void WinLayer_FailNthGlobalAlloc(long n);
WINBASEAPI void WinLayer_FailNthFileWrite(long n);
WINBASEAPI void WinLayer_FailNthFileRead(long n);
WINBASEAPI void WinLayer_FailNthHeapAlloc(long n);
WINBASEAPI void WinLayer_ClearFaults(void);

// The four kinds of call a sweep or a fuzz input fails, as one number.
enum WinLayerFaultKind {
    WINLAYER_GLOBAL_ALLOC,
    WINLAYER_HEAP_ALLOC,
    WINLAYER_FILE_WRITE,
    WINLAYER_FILE_READ,
    WINLAYER_FAULT_KINDS
};
static inline void WinLayer_FailNthOfKind(int kind, long n) {
    switch (kind) {
    case WINLAYER_GLOBAL_ALLOC:
        WinLayer_FailNthGlobalAlloc(n);
        break;
    case WINLAYER_HEAP_ALLOC:
        WinLayer_FailNthHeapAlloc(n);
        break;
    case WINLAYER_FILE_WRITE:
        WinLayer_FailNthFileWrite(n);
        break;
    default:
        WinLayer_FailNthFileRead(n);
        break;
    }
}

// Every MessageBox text also goes to this hook (after stderr), with the
// caption; the hook's result is what MessageBox returns. Without a hook the box
// answers with its default button (IDOK for an OK box).
typedef int (*WinLayerMessageBoxHook)(void *context, const char *text, const char *caption, UINT type);
WINBASEAPI void WinLayer_SetMessageBoxHook(WinLayerMessageBoxHook hook, void *context);
// Silence the copy on stderr (tests that expect many messages).
WINBASEAPI void WinLayer_SetMessageBoxQuiet(BOOL quiet);

// ---- windows, input and drawing

// Number of windows that exist (created and not yet destroyed), and of device
// contexts handed out by GetDC and not yet released.
WINBASEAPI long WinLayer_LiveWindows(void);
WINBASEAPI long WinLayer_LiveDeviceContexts(void);

// The result a dialog was ended with: TRUE and *result once EndDialog ran.
WINBASEAPI BOOL WinLayer_GetDialogResult(HWND dialog, INT_PTR *result);

// The n-th SetTimer call from now fails (returns 0); 0 turns the fault off.
WINBASEAPI void WinLayer_FailNthSetTimer(long n);

// Input as the user would give it. A mouse message (WM_LBUTTONDOWN,
// WM_LBUTTONUP, WM_MOUSEMOVE) at a screen point goes to the calling thread's
// capture window, or else to the visible, enabled window under the point, in
// its client coordinates. A key press is a WM_KEYDOWN and a WM_KEYUP posted to
// the calling thread's focus window. FALSE when no window takes the input.
WINBASEAPI BOOL WinLayer_PostMouseInput(UINT message, int screenX, int screenY);
WINBASEAPI BOOL WinLayer_PostKeyInput(UINT virtualKey);

// What was last drawn into a window through its device contexts (GetDC(NULL)
// draws into the screen, window NULL). Kept after the window is destroyed.
struct WinLayerTextOut {
    long count;      // ExtTextOut calls so far
    char text[128];  // the last text, cut to fit
    int x, y;
    UINT options;
    RECT rect;  // {0,0,0,0} when none was given
    COLORREF background;
    COLORREF foreground;
    UINT align;
};
struct WinLayerRectangle {
    long count;  // Rectangle calls so far
    RECT rect;
    int rop2;
    HGDIOBJ brush;
    HGDIOBJ pen;
};
WINBASEAPI BOOL WinLayer_GetLastTextOut(HWND window, WinLayerTextOut *out);

// Shows progress bars as text on `fd` (stderr when it is a terminal, which
// the layer does by itself unless QR_NO_TERMINAL_PROGRESS is set); -1 stops.
WINBASEAPI void WinLayer_SetTerminalDisplay(int fd);
WINBASEAPI BOOL WinLayer_GetLastRectangle(HWND window, WinLayerRectangle *out);

#endif

#endif
