// What the files of the class library share: the map from window handles to
// the objects that handle them, and the message being handled on each thread.
#ifndef QR_CLASSLIB_AFX_INTERNAL_H
#define QR_CLASSLIB_AFX_INTERNAL_H

#include "afx.h"

namespace afxinternal {

CWnd *LookupWindow(HWND window);
// False when the window already has an object.
bool BindWindow(HWND window, CWnd *object);
void UnbindWindow(HWND window);

// The message being handled on this thread, for CWnd::Default().
const MSG &CurrentMessage();

// Makes a message the current one for as long as it lives.
class CurrentMessageScope {
public:
    CurrentMessageScope(HWND window, UINT message, WPARAM w, LPARAM l);
    ~CurrentMessageScope();
    CurrentMessageScope(const CurrentMessageScope &) = delete;
    CurrentMessageScope &operator=(const CurrentMessageScope &) = delete;

private:
    MSG m_saved;
};

}  // namespace afxinternal

#endif
