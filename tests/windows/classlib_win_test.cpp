// The class library over the real Win32 user interface: dialogs from
// templates bound to their objects, subclassed controls and Default(), the
// capture, the dialog colours, the message box, and the application object
// of a module driven by its DllMain.
#include "afx.h"
#include "app_test_module.h"
#include "dialog_presser.h"
#include "unit_resources.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>

namespace {

void PumpAll() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

LPARAM CentreOf(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return MAKELPARAM(client.right / 2, client.bottom / 2);
}

class TestButton : public CButton {
public:
    POINT lastUp = {-1, -1};
    int ups = 0;

protected:
    void OnLButtonUp(UINT flags, POINT point) override {
        ++ups;
        lastUp = point;
        CButton::OnLButtonUp(flags, point);  // the button's own processing: the click
    }
};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(UNIT_TEST_DIALOG) {}
    int inits = 0;
    int oks = 0;
    int cancels = 0;
    UINT_PTR lastTimer = 0;
    UINT lastSizeType = 99;
    bool boundDuringInit = false;

    BOOL OnInitDialog() override {
        ++inits;
        boundDuringInit = FromHandlePermanent(m_hWnd) == this && GetDlgItem(IDCANCEL) != nullptr;
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        ++oks;
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        CDialog::OnCancel();
    }

protected:
    void OnTimer(UINT_PTR id) override { lastTimer = id; }
    void OnSize(UINT type, int cx, int cy) override {
        lastSizeType = type;
        CDialog::OnSize(type, cx, cy);
    }
};

std::string Variable(const char *name) {
    char value[32] = {};
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

void ResetAppTestCounts() {
    SetEnvironmentVariableA(APP_TEST_INITS_VARIABLE, nullptr);
    SetEnvironmentVariableA(APP_TEST_EXITS_VARIABLE, nullptr);
    SetEnvironmentVariableA(APP_TEST_REFUSE_VARIABLE, nullptr);
}

template <typename Function>
Function Export(HMODULE module, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class ClassLibrary : public ::testing::Test {
protected:
    void TearDown() override {
        ReleaseCapture();
        PumpAll();
    }
};

TEST_F(ClassLibrary, DialogFromATemplateIsBoundBeforeItsInitAndDestroyedWithItsObject) {
    HWND window = nullptr;
    {
        TestDialog dialog;
        ASSERT_TRUE(dialog.Create(UNIT_TEST_DIALOG));
        window = dialog.m_hWnd;
        EXPECT_EQ(dialog.inits, 1);
        EXPECT_TRUE(dialog.boundDuringInit);
        EXPECT_EQ(CWnd::FromHandlePermanent(window), &dialog);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(dialog.Create(UNIT_TEST_DIALOG));  // one window per object
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);

    CDialog missing(4711);
    EXPECT_FALSE(missing.Create(4711));
    EXPECT_EQ(missing.m_hWnd, nullptr);
}

TEST_F(ClassLibrary, ButtonsReachOnOkAndOnCancelWhichHideTheDialog) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(UNIT_TEST_DIALOG));
    HWND ok = dialog.GetDlgItem(IDOK);
    PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(ok));
    PostMessageA(ok, WM_LBUTTONUP, 0, CentreOf(ok));
    PumpAll();
    EXPECT_EQ(dialog.oks, 1);
    EXPECT_FALSE(IsWindowVisible(dialog.m_hWnd));
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));  // modeless: ended, not destroyed
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(dialog.cancels, 1);
}

TEST_F(ClassLibrary, SubclassedButtonSeesItsMessagesAndDefaultKeepsItWorking) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(UNIT_TEST_DIALOG));
    HWND cancel = dialog.GetDlgItem(IDCANCEL);
    WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(cancel, GWLP_WNDPROC));
    {
        TestButton button;
        ASSERT_TRUE(button.SubclassDlgItem(IDCANCEL, &dialog));
        EXPECT_EQ(button.m_hWnd, cancel);
        LPARAM centre = CentreOf(cancel);
        PostMessageA(cancel, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        PostMessageA(cancel, WM_LBUTTONUP, 0, centre);
        PumpAll();
        EXPECT_EQ(button.ups, 1);
        EXPECT_EQ(button.lastUp.x, GET_X_LPARAM(centre));
        EXPECT_EQ(button.lastUp.y, GET_Y_LPARAM(centre));
        EXPECT_EQ(dialog.cancels, 1);  // the button still clicked
    }
    // The button object let go: the window lives on with its own procedure.
    EXPECT_TRUE(IsWindow(cancel));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(cancel, GWLP_WNDPROC)), own);
    EXPECT_EQ(CWnd::FromHandlePermanent(cancel), nullptr);
}

TEST_F(ClassLibrary, TimerSizeAndCaptureReachTheDialog) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(UNIT_TEST_DIALOG));
    ASSERT_NE(SetTimer(dialog.m_hWnd, 7, 10, nullptr), 0u);
    DWORD start = GetTickCount();
    while (dialog.lastTimer != 7 && GetTickCount() - start < 2000) {
        PumpAll();
        Sleep(5);
    }
    KillTimer(dialog.m_hWnd, 7);
    EXPECT_EQ(dialog.lastTimer, 7u);
    dialog.ShowWindow(SW_MINIMIZE);
    PumpAll();
    EXPECT_EQ(dialog.lastSizeType, static_cast<UINT>(SIZE_MINIMIZED));
    dialog.ShowWindow(SW_RESTORE);
    PumpAll();
    EXPECT_EQ(dialog.lastSizeType, static_cast<UINT>(SIZE_RESTORED));
    dialog.SetCapture();
    EXPECT_EQ(GetCapture(), dialog.m_hWnd);
}

TEST_F(ClassLibrary, DrawingContextsAreHandedOutAndTakenBack) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(UNIT_TEST_DIALOG));
    CDC *first = dialog.GetDC();
    CDC *second = dialog.GetDC();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_GT(first->GetDeviceCaps(HORZRES), 0);
    EXPECT_EQ(first->SetTextAlign(TA_CENTER | TA_TOP), static_cast<UINT>(TA_LEFT | TA_TOP));
    EXPECT_EQ(dialog.ReleaseDC(first), 1);
    EXPECT_EQ(dialog.ReleaseDC(second), 1);
}

TEST_F(ClassLibrary, ApplicationObjectStartsAndStopsWithItsModule) {
    ResetAppTestCounts();
    HMODULE module = LoadLibraryA("AppTestModule.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Variable(APP_TEST_INITS_VARIABLE), "1");
    EXPECT_EQ(Variable(APP_TEST_EXITS_VARIABLE), "");
    auto instance = Export<HINSTANCE (*)()>(module, "AppTestInstance");
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance(), module);
    // A second load of a loaded module starts nothing.
    HMODULE again = LoadLibraryA("AppTestModule.dll");
    EXPECT_EQ(again, module);
    FreeLibrary(again);
    EXPECT_EQ(Variable(APP_TEST_INITS_VARIABLE), "1");
    FreeLibrary(module);
    EXPECT_EQ(Variable(APP_TEST_EXITS_VARIABLE), "1");
}

TEST_F(ClassLibrary, RefusedStartFailsTheLoadAndStillStops) {
    ResetAppTestCounts();
    SetEnvironmentVariableA(APP_TEST_REFUSE_VARIABLE, "1");
    EXPECT_EQ(LoadLibraryA("AppTestModule.dll"), nullptr);
    EXPECT_EQ(Variable(APP_TEST_INITS_VARIABLE), "1");
    EXPECT_EQ(Variable(APP_TEST_EXITS_VARIABLE), "1");
    ResetAppTestCounts();
}

TEST_F(ClassLibrary, ModuleDialogsAreInTheModulesColoursAndItsMessageBoxBearsItsName) {
    ResetAppTestCounts();
    HMODULE module = LoadLibraryA("AppTestModule.dll");
    ASSERT_NE(module, nullptr);
    auto open = Export<HWND (*)()>(module, "AppTestOpenDialog");
    auto close = Export<void (*)()>(module, "AppTestCloseDialog");
    auto message = Export<int (*)(const char *)>(module, "AppTestMessage");
    ASSERT_TRUE(open && close && message);

    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog)));
    LOGBRUSH painted = {};
    ASSERT_NE(GetObjectA(brush, sizeof painted, &painted), 0);
    EXPECT_EQ(painted.lbColor, RGB(192, 192, 192));
    HWND label = GetDlgItem(dialog, APP_TEST_STATIC);
    SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(GetBkColor(dc), RGB(192, 192, 192));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    DeleteDC(dc);
    close();
    EXPECT_FALSE(IsWindow(dialog));

    const int kMessageText = 0xFFFF;
    DialogPresser user(APP_TEST_NAME, IDOK, DialogPresser::Press::Command, kMessageText);
    EXPECT_EQ(message("Error!\nSomething to say"), IDOK);
    ASSERT_TRUE(user.Join());
    EXPECT_EQ(user.Seen().text, "Error!\nSomething to say");
    FreeLibrary(module);
}

}  // namespace
