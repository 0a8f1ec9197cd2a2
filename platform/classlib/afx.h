// Our small Windows class library: the application object of a DLL, windows
// and modeless dialogs with virtual message handlers, a button that can be
// subclassed, a drawing-context wrapper and the message box. Written over the
// Win32 subset (real Win32 on Windows, our layer on Linux) and linked
// statically into each module that uses it, so each module has its own
// application object and resource handle.
#ifndef QR_CLASSLIB_AFX_H
#define QR_CLASSLIB_AFX_H

#include "win32.h"

#include <memory>
#include <utility>
#include <vector>

class CWinApp {
public:
    explicit CWinApp(const char *appName);
    virtual ~CWinApp();
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    // Run once when the module is loaded; a zero result refuses the load.
    virtual BOOL InitInstance();
    // Run once when the module is unloaded; returns the exit code.
    virtual int ExitInstance();

    // Colours of every dialog the module shows (painted so on Windows; kept
    // on Linux, where nothing paints a dialog's background).
    void SetDialogBkColor(COLORREF background, COLORREF text);

    const char *m_pszAppName;
    HINSTANCE m_hInstance;
    COLORREF m_dialogBackground;
    COLORREF m_dialogText;
    HBRUSH m_hDialogBrush;  // Windows: the background brush; null until set
};

CWinApp *AfxGetApp();
// The module this copy of the class library is linked into.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// Load and unload of the module: run the application object's InitInstance
// and ExitInstance. QR_DLL_APPLICATION wires them to the module's lifetime.
BOOL AfxDllAttach(HINSTANCE module);
void AfxDllDetach();

// Shows text in a message box with the application's name as caption.
int AfxMessageBox(const char *text, UINT type = MB_OK);

// Declares the module's application object and drives it from the module's
// load and unload: DllMain on Windows, a static object placed after the
// application object on Linux (same translation unit, so it is constructed
// after it and destroyed before it).
#if defined(_WIN32)
#define QR_DLL_APPLICATION(AppClass, name)                                   \
    AppClass name;                                                           \
    extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) { \
        if (reason == DLL_PROCESS_ATTACH) return AfxDllAttach(module);       \
        if (reason == DLL_PROCESS_DETACH) AfxDllDetach();                    \
        return TRUE;                                                         \
    }
#else
struct AfxModuleLifetime {
    AfxModuleLifetime() { AfxDllAttach(AfxGetInstanceHandle()); }
    ~AfxModuleLifetime() { AfxDllDetach(); }
};
#define QR_DLL_APPLICATION(AppClass, name) \
    AppClass name;                         \
    static AfxModuleLifetime name##Lifetime;
#endif

// The window procedure of every window the library handles, and the dialog
// procedure of its dialogs.
LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM w, LPARAM l);
INT_PTR CALLBACK AfxDlgProc(HWND dialog, UINT message, WPARAM w, LPARAM l);

class CDC {
public:
    CDC() : m_hDC(nullptr) {}
    explicit CDC(HDC dc) : m_hDC(dc) {}
    HDC m_hDC;

    COLORREF SetBkColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);
    UINT SetTextAlign(UINT align);
    int SetROP2(int mode);
    HGDIOBJ SelectStockObject(int index);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL ExtTextOut(int x, int y, UINT options, const RECT *rect, const char *text, UINT count);
    int GetDeviceCaps(int index);
};

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;

    HWND m_hWnd;
    HWND GetSafeHwnd() const { return m_hWnd; }

    virtual BOOL DestroyWindow();
    BOOL ShowWindow(int command);
    void SetWindowText(const char *text);
    HWND GetDlgItem(int id) const;
    void GetWindowRect(RECT *rect) const;
    void ScreenToClient(RECT *rect) const;
    void ClientToScreen(POINT *point) const;
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags);
    HWND SetCapture();
    // The parent's object when the library handles the parent window, else
    // null.
    CWnd *GetParent() const;

    // A drawing context of the window, null when none can be had; release it
    // with ReleaseDC. Several may be held at once.
    CDC *GetDC();
    int ReleaseDC(CDC *dc);

    // Makes this object handle the messages of the control `id` of `parent`.
    // The window procedure it replaces handles what this object leaves to
    // Default(). The object lets go of the window (without destroying it) when
    // destroyed first.
    BOOL SubclassDlgItem(UINT id, CWnd *parent);
    HWND UnsubclassWindow();

    // Looks up the object that handles a window's messages, or null.
    static CWnd *FromHandlePermanent(HWND window);

protected:
    // The message dispatcher: known messages go to the virtual handlers below,
    // everything else to Default().
    virtual LRESULT WindowProc(UINT message, WPARAM w, LPARAM l);
    // The default processing of the message being handled on this thread
    // (which a handler of another object may also ask this window for).
    LRESULT Default();

    virtual void OnTimer(UINT_PTR id);
    virtual void OnLButtonDown(UINT flags, POINT point);
    virtual void OnLButtonUp(UINT flags, POINT point);
    virtual void OnSize(UINT type, int cx, int cy);
    // WM_COMMAND: returns TRUE when handled.
    virtual BOOL OnCommand(WPARAM w, LPARAM l);

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);

    // Binds the window to this object and routes its messages through
    // AfxWndProc; Detach undoes both.
    BOOL Attach(HWND window);
    HWND Detach();

    WNDPROC m_pfnSuper;  // the window's own procedure, for Default()
    // The contexts GetDC handed out, with the window each belongs to.
    std::vector<std::pair<HWND, std::unique_ptr<CDC>>> m_dcs;
};

class CButton : public CWnd {};

// A dialog created from a template of the module's resources. Used modeless:
// Create() returns once the window exists.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd *parent = nullptr);
    ~CDialog() override;

    BOOL Create(UINT templateId, CWnd *parent = nullptr);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(void *exchange);
    void EndDialog(int result);

protected:
    BOOL OnCommand(WPARAM w, LPARAM l) override;
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override;

    UINT m_templateId;
    CWnd *m_pParentWnd;

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

#endif
