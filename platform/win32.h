// The Win32 subset this system calls. On Windows it is the real API; on Linux
// it is our own layer (libqrplatform), one shared library that every module of
// the process links, so that a global-memory handle or a window made by one
// module is valid in all of them, as on Windows.
//
// Only the ANSI forms exist; the plain names map to them as <windows.h> does
// without UNICODE.
#ifndef QR_PLATFORM_WIN32_H
#define QR_PLATFORM_WIN32_H

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// <windowsx.h> has these, with much else we do not want.
#ifndef GET_X_LPARAM
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#endif

#ifdef __cplusplus
#define QR_EXPORT extern "C" __declspec(dllexport)
#else
#define QR_EXPORT __declspec(dllexport)
#endif
#define QR_PATH_SEPARATOR '\\'

#else  // Linux: our layer

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define QR_EXTERN_C extern "C"
#else
#define QR_EXTERN_C extern
#endif
#if defined(QR_PLATFORM_BUILD)
#define WINBASEAPI QR_EXTERN_C __attribute__((visibility("default")))
#else
#define WINBASEAPI QR_EXTERN_C
#endif

#define QR_EXPORT QR_EXTERN_C __attribute__((visibility("default")))
#define QR_PATH_SEPARATOR '/'

#define WINAPI
#define CALLBACK
#define APIENTRY
#define PASCAL
#define FAR
#define NEAR

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int INT;
typedef unsigned int UINT;
typedef char CHAR;
typedef short SHORT;
typedef size_t SIZE_T;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uint32_t COLORREF;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef DWORD *LPDWORD;
typedef BOOL *LPBOOL;

typedef void *HANDLE;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HDC__ *HDC;
typedef struct HGDIOBJ__ *HGDIOBJ;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HFONT;
typedef struct HICON__ *HICON;
typedef struct HMENU__ *HMENU;
typedef HICON HCURSOR;
typedef int HFILE;

typedef INT_PTR (*FARPROC)(void);
typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;
typedef const RECT *LPCRECT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA, WNDCLASS;

// What WM_CREATE's lParam points to.
typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA, CREATESTRUCT, *LPCREATESTRUCTA;

#define OFS_MAXPATHNAME 128
typedef struct _OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT;

#define LOWORD(l) ((WORD)(((ULONG_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((ULONG_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b) ((LONG)(((WORD)(a)) | ((DWORD)((WORD)(b))) << 16))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))

// ---- errors
#define ERROR_SUCCESS 0
#define NO_ERROR 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_FILE_EXISTS 80
#define ERROR_ALREADY_EXISTS 183
#define ERROR_NOT_LOCKED 158
#define ERROR_INVALID_WINDOW_HANDLE 1400
WINBASEAPI DWORD GetLastError(void);
WINBASEAPI void SetLastError(DWORD code);

// ---- global memory
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_DDESHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00ff
#define GMEM_INVALID_HANDLE 0x8000
WINBASEAPI HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
WINBASEAPI HGLOBAL GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
WINBASEAPI LPVOID GlobalLock(HGLOBAL mem);
WINBASEAPI BOOL GlobalUnlock(HGLOBAL mem);
WINBASEAPI SIZE_T GlobalSize(HGLOBAL mem);
WINBASEAPI UINT GlobalFlags(HGLOBAL mem);
WINBASEAPI HGLOBAL GlobalFree(HGLOBAL mem);
WINBASEAPI HGLOBAL GlobalHandle(LPCVOID pointer);

// ---- simple files
#define HFILE_ERROR ((HFILE)-1)
#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_SHARE_COMPAT 0x0000
#define OF_SHARE_EXCLUSIVE 0x0010
#define OF_SHARE_DENY_WRITE 0x0020
#define OF_SHARE_DENY_READ 0x0030
#define OF_SHARE_DENY_NONE 0x0040
#define OF_PARSE 0x0100
#define OF_DELETE 0x0200
#define OF_VERIFY 0x0400
#define OF_CANCEL 0x0800
#define OF_CREATE 0x1000
#define OF_PROMPT 0x2000
#define OF_EXIST 0x4000
#define OF_REOPEN 0x8000
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
WINBASEAPI HFILE _lcreat(LPCSTR path, int attribute);
WINBASEAPI HFILE _lopen(LPCSTR path, int mode);
WINBASEAPI UINT _lread(HFILE file, LPVOID buffer, UINT bytes);
WINBASEAPI UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes);
WINBASEAPI LONG _llseek(HFILE file, LONG offset, int origin);
WINBASEAPI HFILE _lclose(HFILE file);
WINBASEAPI HFILE OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style);

// Handle-based files, for the few places that need an exclusive create. A
// file handle converts to an HFILE with (HFILE)(INT_PTR)handle, as on Win32.
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define FILE_SHARE_DELETE 0x4
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_ATTRIBUTE_TEMPORARY 0x100
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_DIRECTORY 0x10
// The file goes when its handle closes, however the process ends: on Linux
// its name is removed as soon as it is open, and the descriptor keeps it.
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
WINBASEAPI HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, void *security, DWORD disposition, DWORD flags,
                              HANDLE templateFile);
WINBASEAPI BOOL CloseHandle(HANDLE object);
WINBASEAPI BOOL DeleteFileA(LPCSTR path);
WINBASEAPI BOOL CreateDirectoryA(LPCSTR path, void *security);
WINBASEAPI BOOL RemoveDirectoryA(LPCSTR path);
WINBASEAPI DWORD GetFileAttributesA(LPCSTR path);
WINBASEAPI DWORD GetTempPathA(DWORD size, LPSTR buffer);
WINBASEAPI UINT GetTempFileNameA(LPCSTR dir, LPCSTR prefix, UINT unique, LPSTR out);
#define CreateFile CreateFileA
#define DeleteFile DeleteFileA
#define CreateDirectory CreateDirectoryA
#define RemoveDirectory RemoveDirectoryA
#define GetFileAttributes GetFileAttributesA
#define GetTempPath GetTempPathA
#define GetTempFileName GetTempFileNameA

// ---- modules, settings and strings
#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x1
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x2
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x4
WINBASEAPI HMODULE LoadLibraryA(LPCSTR path);
WINBASEAPI BOOL FreeLibrary(HMODULE module);
WINBASEAPI FARPROC GetProcAddress(HMODULE module, LPCSTR name);
WINBASEAPI DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
WINBASEAPI HMODULE GetModuleHandleA(LPCSTR name);
WINBASEAPI BOOL GetModuleHandleExA(DWORD flags, LPCSTR nameOrAddress, HMODULE *module);
WINBASEAPI UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
WINBASEAPI DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out, DWORD size,
                                          LPCSTR file);
WINBASEAPI UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR file);
WINBASEAPI BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
WINBASEAPI int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
#define LoadLibrary LoadLibraryA
#define GetModuleFileName GetModuleFileNameA
#define GetModuleHandle GetModuleHandleA
#define GetModuleHandleEx GetModuleHandleExA
#define GetWindowsDirectory GetWindowsDirectoryA
#define GetPrivateProfileString GetPrivateProfileStringA
#define GetPrivateProfileInt GetPrivateProfileIntA
#define WritePrivateProfileString WritePrivateProfileStringA
#define LoadString LoadStringA

// ---- the process heap (counted, and failable in tests, like global memory)
#define HEAP_ZERO_MEMORY 0x00000008
WINBASEAPI HANDLE GetProcessHeap(void);
WINBASEAPI LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
WINBASEAPI BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// ---- threads and time
WINBASEAPI DWORD GetCurrentProcessId(void);
// Whether another process still runs: a handle of it (closed with
// CloseHandle), and its exit code, STILL_ACTIVE while it runs.
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#define STILL_ACTIVE 259
WINBASEAPI HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId);
WINBASEAPI BOOL GetExitCodeProcess(HANDLE process, DWORD *exitCode);
WINBASEAPI DWORD GetCurrentThreadId(void);
WINBASEAPI DWORD GetTickCount(void);
WINBASEAPI void Sleep(DWORD milliseconds);

// ---- windows and messages
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_SHOWWINDOW 0x0018
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_CAPTURECHANGED 0x0215
#define WM_USER 0x0400
#define WM_APP 0x8000

#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWNA 8
#define SW_RESTORE 9

#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_DLGMODALFRAME 0x00000001L

#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_ICON 0x00000003L
#define SS_LEFTNOWORDWRAP 0x0000000CL

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONINFORMATION 0x00000040L
#define MB_TASKMODAL 0x00002000L

#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_ID (-12)
#define GWLP_USERDATA (-21)
#define DWLP_MSGRESULT 0

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define HWND_TOP ((HWND)0)
#define HWND_TOPMOST ((HWND)(LONG_PTR)-1)
#define HWND_NOTOPMOST ((HWND)(LONG_PTR)-2)
#define CW_USEDEFAULT ((int)0x80000000)

WINBASEAPI WORD RegisterClassA(const WNDCLASSA *wc);
WINBASEAPI HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                                int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param);
WINBASEAPI BOOL DestroyWindow(HWND window);
WINBASEAPI LRESULT DefWindowProcA(HWND window, UINT message, WPARAM w, LPARAM l);
WINBASEAPI LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM w, LPARAM l);
WINBASEAPI BOOL IsWindow(HWND window);
WINBASEAPI BOOL IsWindowVisible(HWND window);
WINBASEAPI BOOL IsWindowEnabled(HWND window);
WINBASEAPI BOOL EnableWindow(HWND window, BOOL enable);
WINBASEAPI BOOL ShowWindow(HWND window, int command);
WINBASEAPI BOOL IsIconic(HWND window);
WINBASEAPI HWND GetParent(HWND window);
WINBASEAPI BOOL IsChild(HWND parent, HWND window);
WINBASEAPI HWND GetDlgItem(HWND dialog, int id);
WINBASEAPI int GetDlgCtrlID(HWND window);
WINBASEAPI BOOL SetWindowTextA(HWND window, LPCSTR text);
WINBASEAPI int GetWindowTextA(HWND window, LPSTR buffer, int size);
WINBASEAPI BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
WINBASEAPI UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
WINBASEAPI HWND FindWindowA(LPCSTR className, LPCSTR title);
WINBASEAPI LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
WINBASEAPI LONG_PTR GetWindowLongPtrA(HWND window, int index);
WINBASEAPI BOOL GetWindowRect(HWND window, LPRECT rect);
WINBASEAPI BOOL GetClientRect(HWND window, LPRECT rect);
WINBASEAPI BOOL ClientToScreen(HWND window, LPPOINT point);
WINBASEAPI BOOL ScreenToClient(HWND window, LPPOINT point);
WINBASEAPI BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags);
WINBASEAPI HWND SetCapture(HWND window);
WINBASEAPI BOOL ReleaseCapture(void);
WINBASEAPI HWND GetCapture(void);
WINBASEAPI HWND SetFocus(HWND window);
WINBASEAPI HWND GetFocus(void);

WINBASEAPI HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param);
WINBASEAPI BOOL EndDialog(HWND dialog, INT_PTR result);
WINBASEAPI BOOL IsDialogMessageA(HWND dialog, LPMSG message);

WINBASEAPI BOOL PostMessageA(HWND window, UINT message, WPARAM w, LPARAM l);
WINBASEAPI BOOL PostThreadMessageA(DWORD thread, UINT message, WPARAM w, LPARAM l);
WINBASEAPI LRESULT SendMessageA(HWND window, UINT message, WPARAM w, LPARAM l);
WINBASEAPI BOOL PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
WINBASEAPI BOOL GetMessageA(LPMSG message, HWND window, UINT first, UINT last);
WINBASEAPI BOOL TranslateMessage(const MSG *message);
WINBASEAPI LRESULT DispatchMessageA(const MSG *message);
WINBASEAPI void PostQuitMessage(int exitCode);
WINBASEAPI UINT RegisterWindowMessageA(LPCSTR name);

WINBASEAPI UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC proc);
WINBASEAPI BOOL KillTimer(HWND window, UINT_PTR id);

WINBASEAPI int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#define RegisterClass RegisterClassA
#define CreateWindowEx CreateWindowExA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define SetDlgItemText SetDlgItemTextA
#define GetDlgItemText GetDlgItemTextA
#define FindWindow FindWindowA
#define SetWindowLongPtr SetWindowLongPtrA
#define GetWindowLongPtr GetWindowLongPtrA
#define CreateDialogParam CreateDialogParamA
#define IsDialogMessage IsDialogMessageA
#define PostMessage PostMessageA
#define PostThreadMessage PostThreadMessageA
#define SendMessage SendMessageA
#define PeekMessage PeekMessageA
#define GetMessage GetMessageA
#define DispatchMessage DispatchMessageA
#define RegisterWindowMessage RegisterWindowMessageA
#define MessageBox MessageBoxA

// ---- device-independent bitmaps
#define BI_RGB 0
#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)
typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER;
typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

// ---- drawing (enough for the dialogs' progress bar and frame)
#define HORZRES 8
#define VERTRES 10
#define R2_XORPEN 7
#define WHITE_BRUSH 0
#define BLACK_PEN 7
#define TA_TOP 0
#define TA_CENTER 6
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
WINBASEAPI HDC GetDC(HWND window);
WINBASEAPI int ReleaseDC(HWND window, HDC dc);
WINBASEAPI int GetDeviceCaps(HDC dc, int index);
WINBASEAPI COLORREF SetBkColor(HDC dc, COLORREF color);
WINBASEAPI COLORREF SetTextColor(HDC dc, COLORREF color);
WINBASEAPI UINT SetTextAlign(HDC dc, UINT align);
WINBASEAPI int SetROP2(HDC dc, int mode);
WINBASEAPI HGDIOBJ GetStockObject(int index);
WINBASEAPI HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
WINBASEAPI BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
WINBASEAPI BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT count,
                            const INT *dx);
#define ExtTextOut ExtTextOutA

#endif  // _WIN32

#endif
