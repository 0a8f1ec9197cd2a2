// Windows handled by objects: a window bound to a CWnd has its messages routed
// through AfxWndProc to the object's WindowProc, which hands the known ones to
// virtual handlers; what a handler leaves alone goes on to the window's own
// procedure through Default().
#include "afx_internal.h"

#include <algorithm>

using afxinternal::CurrentMessage;
using afxinternal::CurrentMessageScope;
using afxinternal::LookupWindow;

namespace {

WNDPROC CurrentProcedure(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

}  // namespace

// A window destroyed while bound lets go of its object at WM_NCDESTROY, after
// the object and the window's own procedure have seen it.
LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    CWnd *object = LookupWindow(window);
    if (object == nullptr) return DefWindowProcA(window, message, w, l);
    CurrentMessageScope scope(window, message, w, l);
    LRESULT result = object->WindowProc(message, w, l);
    if (message == WM_NCDESTROY && LookupWindow(window) == object) {
        afxinternal::UnbindWindow(window);
        object->m_hWnd = nullptr;
        object->m_pfnSuper = nullptr;
    }
    return result;
}

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr) {}

// A window this object merely subclassed outlives it. Contexts still held
// would be out of reach once their CDC objects are gone, so they go back.
CWnd::~CWnd() {
    for (const auto &held : m_dcs) ::ReleaseDC(held.first, held.second->m_hDC);
    if (m_hWnd != nullptr) Detach();
}

BOOL CWnd::Attach(HWND window) {
    if (m_hWnd != nullptr || window == nullptr || !IsWindow(window)) return FALSE;
    if (!afxinternal::BindWindow(window, this)) return FALSE;
    m_hWnd = window;
    m_pfnSuper =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    if (m_pfnSuper != nullptr) return TRUE;
    afxinternal::UnbindWindow(window);
    m_hWnd = nullptr;
    return FALSE;
}

// Gives the window its own procedure back, unless another subclass has been
// put on top since, which would be cut off.
HWND CWnd::Detach() {
    HWND window = m_hWnd;
    if (window == nullptr) return nullptr;
    if (IsWindow(window) && CurrentProcedure(window) == AfxWndProc) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    afxinternal::UnbindWindow(window);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return window;
}

CWnd *CWnd::FromHandlePermanent(HWND window) { return window != nullptr ? LookupWindow(window) : nullptr; }

BOOL CWnd::DestroyWindow() {
    HWND window = m_hWnd;
    if (window == nullptr) return FALSE;
    BOOL destroyed = ::DestroyWindow(window);
    if (m_hWnd == window) Detach();  // refused (another thread's window): let go all the same
    return destroyed;
}

BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }

void CWnd::SetWindowText(const char *text) { ::SetWindowTextA(m_hWnd, text); }

HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

void CWnd::GetWindowRect(RECT *rect) const { ::GetWindowRect(m_hWnd, rect); }

void CWnd::ScreenToClient(RECT *rect) const {
    POINT topLeft = {rect->left, rect->top};
    POINT bottomRight = {rect->right, rect->bottom};
    ::ScreenToClient(m_hWnd, &topLeft);
    ::ScreenToClient(m_hWnd, &bottomRight);
    *rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::ClientToScreen(POINT *point) const { ::ClientToScreen(m_hWnd, point); }

BOOL CWnd::SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
}

HWND CWnd::SetCapture() { return ::SetCapture(m_hWnd); }

CWnd *CWnd::GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

CDC *CWnd::GetDC() {
    if (m_hWnd == nullptr) return nullptr;
    HDC dc = ::GetDC(m_hWnd);
    if (dc == nullptr) return nullptr;
    m_dcs.emplace_back(m_hWnd, std::make_unique<CDC>(dc));
    return m_dcs.back().second.get();
}

// The context goes back to the window it came from, even when this object has
// let go of that window since.
int CWnd::ReleaseDC(CDC *dc) {
    if (dc == nullptr) return 0;
    auto held = std::find_if(m_dcs.begin(), m_dcs.end(), [dc](const auto &entry) { return entry.second.get() == dc; });
    if (held == m_dcs.end()) return ::ReleaseDC(m_hWnd, dc->m_hDC);
    int released = ::ReleaseDC(held->first, dc->m_hDC);
    m_dcs.erase(held);
    return released;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd *parent) {
    if (parent == nullptr || parent->m_hWnd == nullptr) return FALSE;
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control != nullptr && Attach(control);
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

LRESULT CWnd::WindowProc(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(w));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(w), LOWORD(l), HIWORD(l));
        return 0;
    case WM_COMMAND:
        return OnCommand(w, l) ? 0 : Default();
    default:
        return Default();
    }
}

LRESULT CWnd::Default() {
    if (m_hWnd == nullptr) return 0;
    const MSG &current = CurrentMessage();
    if (m_pfnSuper == nullptr) return DefWindowProcA(m_hWnd, current.message, current.wParam, current.lParam);
    return CallWindowProcA(m_pfnSuper, m_hWnd, current.message, current.wParam, current.lParam);
}

void CWnd::OnTimer(UINT_PTR) { Default(); }

void CWnd::OnLButtonDown(UINT, POINT) { Default(); }

void CWnd::OnLButtonUp(UINT, POINT) { Default(); }

void CWnd::OnSize(UINT, int, int) { Default(); }

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
