#include "afx.h"
#include "app_test_module.h"

#include <stdlib.h>
#include <string>

namespace {

void Count(const char *variable) {
    char value[16] = {};
    GetEnvironmentVariableA(variable, value, sizeof value);
    SetEnvironmentVariableA(variable, std::to_string(atoi(value) + 1).c_str());
}

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp(APP_TEST_NAME) {}
    BOOL InitInstance() override {
        Count(APP_TEST_INITS_VARIABLE);
        SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
        char refuse[4] = {};
        GetEnvironmentVariableA(APP_TEST_REFUSE_VARIABLE, refuse, sizeof refuse);
        return refuse[0] != '1';
    }
    int ExitInstance() override {
        Count(APP_TEST_EXITS_VARIABLE);
        return CWinApp::ExitInstance();
    }
};

CDialog *gDialog;

}  // namespace

QR_DLL_APPLICATION(TestApp, theApp)

QR_EXPORT HINSTANCE AppTestInstance(void) { return AfxGetApp() != nullptr ? AfxGetApp()->m_hInstance : nullptr; }

QR_EXPORT int AppTestMessage(const char *text) { return AfxMessageBox(text); }

// A dialog of the module's own template, painted in the module's colours.
QR_EXPORT HWND AppTestOpenDialog(void) {
    if (gDialog == nullptr) gDialog = new CDialog(APP_TEST_DIALOG);
    if (gDialog->m_hWnd == nullptr && !gDialog->Create(APP_TEST_DIALOG)) return nullptr;
    return gDialog->m_hWnd;
}

QR_EXPORT void AppTestCloseDialog(void) {
    delete gDialog;
    gDialog = nullptr;
}
