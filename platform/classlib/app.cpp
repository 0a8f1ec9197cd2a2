// The module's application object: registered by its constructor, started and
// stopped with the module (InitInstance once at load, ExitInstance once at
// unload), and the module's instance and resource handles.
#include "afx.h"

namespace {

enum class AppLifetime { NotStarted, Running, Stopped };

CWinApp *gpApp = nullptr;
AppLifetime gLifetime = AppLifetime::NotStarted;

// Any static of the library lies in the module it is linked into.
const char gModuleMarker = 0;

}  // namespace

CWinApp::CWinApp(const char *appName)
    : m_pszAppName(appName),
      m_hInstance(nullptr),
      m_dialogBackground(RGB(192, 192, 192)),
      m_dialogText(RGB(0, 0, 0)),
      m_hDialogBrush(nullptr) {
    if (gpApp != nullptr) return;
    gpApp = this;
    gLifetime = AppLifetime::NotStarted;
}

CWinApp::~CWinApp() {
#if defined(_WIN32)
    if (m_hDialogBrush != nullptr) DeleteObject(m_hDialogBrush);
#endif
    if (gpApp == this) gpApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetDialogBkColor(COLORREF background, COLORREF text) {
    m_dialogBackground = background;
    m_dialogText = text;
#if defined(_WIN32)
    if (m_hDialogBrush != nullptr) DeleteObject(m_hDialogBrush);
    m_hDialogBrush = CreateSolidBrush(background);
#endif
}

CWinApp *AfxGetApp() { return gpApp; }

HINSTANCE AfxGetInstanceHandle() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       &gModuleMarker, &module);
    return module;
}

HINSTANCE AfxGetResourceHandle() {
    if (gpApp != nullptr && gpApp->m_hInstance != nullptr) return gpApp->m_hInstance;
    return AfxGetInstanceHandle();
}

// A refused start still runs ExitInstance, so that what InitInstance had
// already set up is released; the later unload then runs nothing.
BOOL AfxDllAttach(HINSTANCE module) {
    if (gpApp == nullptr || gLifetime != AppLifetime::NotStarted) return TRUE;
    gpApp->m_hInstance = module;
    gLifetime = AppLifetime::Running;
    if (gpApp->InitInstance()) return TRUE;
    gpApp->ExitInstance();
    gLifetime = AppLifetime::Stopped;
    return FALSE;
}

void AfxDllDetach() {
    if (gpApp == nullptr || gLifetime != AppLifetime::Running) return;
    gLifetime = AppLifetime::Stopped;
    gpApp->ExitInstance();
}

int AfxMessageBox(const char *text, UINT type) {
    const char *caption = gpApp != nullptr && gpApp->m_pszAppName != nullptr ? gpApp->m_pszAppName : "Error";
    return MessageBoxA(nullptr, text, caption, type);
}
