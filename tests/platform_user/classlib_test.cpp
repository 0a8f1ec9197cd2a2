// The class library over the layer: the application object's lifetime,
// dialogs bound to objects, subclassed buttons and drawing contexts.
#include "afx.h"
#include "support.h"
#include "test_dialogs.h"

#include <string>

namespace {

class ClassLibrary : public UserTest {};

class TestApp : public CWinApp {
public:
    explicit TestApp(const char *name, BOOL startResult = TRUE) : CWinApp(name), startResult_(startResult) {}
    BOOL InitInstance() override {
        ++inits;
        return startResult_;
    }
    int ExitInstance() override {
        ++exits;
        return CWinApp::ExitInstance();
    }
    int inits = 0;
    int exits = 0;

private:
    BOOL startResult_;
};

class TestButton : public CButton {
public:
    POINT lastUp = {-1, -1};
    LRESULT DefaultNow() { return Default(); }

protected:
    void OnLButtonUp(UINT flags, POINT point) override {
        lastUp = point;
        CButton::OnLButtonUp(flags, point);
    }
};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(TEST_DIALOG_ID) {}
    int inits = 0;
    int cancels = 0;
    UINT_PTR lastTimer = 0;
    UINT lastSizeType = 99;
    TestButton *forwardDownTo = nullptr;

    BOOL OnInitDialog() override {
        ++inits;
        return CDialog::OnInitDialog();
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
    // Hands the click to a button's default processing, as a dialog holding
    // the capture does for its Cancel button.
    void OnLButtonDown(UINT flags, POINT point) override {
        if (forwardDownTo != nullptr) {
            forwardDownTo->DefaultNow();
            return;
        }
        CDialog::OnLButtonDown(flags, point);
    }
};

int RecordCaption(void *context, const char *, const char *caption, UINT) {
    *static_cast<std::string *>(context) = caption;
    return IDOK;
}

void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(dialog, &msg)) DispatchMessageA(&msg);
    }
}

}  // namespace

TEST_F(ClassLibrary, TheApplicationStartsOnceAndStopsOnce) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    {
        TestApp app("First");
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_TRUE(AfxDllAttach(module));
        EXPECT_TRUE(AfxDllAttach(module));
        EXPECT_EQ(app.inits, 1);
        EXPECT_EQ(app.m_hInstance, module);
        EXPECT_EQ(AfxGetResourceHandle(), module);
        AfxDllDetach();
        AfxDllDetach();
        EXPECT_EQ(app.exits, 1);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
    TestApp refused("Second", FALSE);
    EXPECT_FALSE(AfxDllAttach(module));
    EXPECT_EQ(refused.exits, 1) << "a refused start must still release what it set up";
    AfxDllDetach();
    EXPECT_EQ(refused.exits, 1);
}

TEST_F(ClassLibrary, TheInstanceIsTheModuleTheLibraryIsLinkedInto) {
    EXPECT_EQ(AfxGetInstanceHandle(), GetModuleHandleA(nullptr));
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(nullptr));
}

TEST_F(ClassLibrary, MessageBoxesCarryTheApplicationsName) {
    std::string caption;
    WinLayer_SetMessageBoxHook(RecordCaption, &caption);
    AfxMessageBox("no app");
    EXPECT_EQ(caption, "Error");
    TestApp app("QRVM");
    EXPECT_EQ(AfxMessageBox("Error!\nTimer NULL"), IDOK);
    EXPECT_EQ(caption, "QRVM");
}

TEST_F(ClassLibrary, ADialogIsBoundAtInitDialogAndCancelEndsIt) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_hWnd), &dialog);
    EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
    EXPECT_FALSE(dialog.Create(TEST_DIALOG_ID)) << "a second window for one object";

    SendMessageA(dialog.m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_FALSE(IsWindowVisible(dialog.m_hWnd));
    INT_PTR result = 0;
    ASSERT_TRUE(WinLayer_GetDialogResult(dialog.m_hWnd, &result));
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd));
}

TEST_F(ClassLibrary, TimerAndSizeMessagesReachTheHandlers) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
    ASSERT_EQ(SetTimer(dialog.m_hWnd, 6, 10, nullptr), 6u);
    MSG msg;
    ASSERT_GT(GetMessageA(&msg, nullptr, WM_TIMER, WM_TIMER), 0);
    DispatchMessageA(&msg);
    EXPECT_EQ(dialog.lastTimer, 6u);
    ShowWindow(dialog.m_hWnd, SW_MINIMIZE);
    EXPECT_EQ(dialog.lastSizeType, static_cast<UINT>(SIZE_MINIMIZED));
    ShowWindow(dialog.m_hWnd, SW_RESTORE);
    EXPECT_EQ(dialog.lastSizeType, static_cast<UINT>(SIZE_RESTORED));
}

TEST_F(ClassLibrary, DestroyingUnbindsAndTheDestructorDestroysWhatIsLeft) {
    HWND window = nullptr;
    {
        TestDialog dialog;
        ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
        window = dialog.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(window));

    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
    window = dialog.m_hWnd;
    ::DestroyWindow(window);  // behind the object's back
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    EXPECT_FALSE(dialog.DestroyWindow());
}

TEST_F(ClassLibrary, ASubclassedButtonHearsTheReleaseAndStillClicks) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
    TestButton button;
    ASSERT_TRUE(button.SubclassDlgItem(IDCANCEL, &dialog));
    TestButton again;
    EXPECT_FALSE(again.SubclassDlgItem(IDCANCEL, &dialog));
    EXPECT_EQ(button.GetParent(), &dialog);

    RECT rect;
    button.GetWindowRect(&rect);
    WinLayer_PostMouseInput(WM_LBUTTONDOWN, rect.left + 3, rect.top + 4);
    Pump(dialog.m_hWnd);
    WinLayer_PostMouseInput(WM_LBUTTONUP, rect.left + 5, rect.top + 6);
    Pump(dialog.m_hWnd);
    EXPECT_EQ(button.lastUp.x, 5);
    EXPECT_EQ(button.lastUp.y, 6);
    EXPECT_EQ(dialog.cancels, 1) << "the button's own processing no longer clicked";
}

TEST_F(ClassLibrary, DefaultRunsTheThreadsCurrentMessageOnTheObjectsWindow) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
    TestButton button;
    ASSERT_TRUE(button.SubclassDlgItem(IDCANCEL, &dialog));
    dialog.forwardDownTo = &button;
    SendMessageA(dialog.m_hWnd, WM_LBUTTONDOWN, 1, 0);
    EXPECT_EQ(GetCapture(), button.m_hWnd) << "the button did not process the dialog's press";
}

TEST_F(ClassLibrary, AnObjectLetsGoOfASubclassedControlWithoutDestroyingIt) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
    HWND cancel = dialog.GetDlgItem(IDCANCEL);
    LONG_PTR original = GetWindowLongPtrA(cancel, GWLP_WNDPROC);
    {
        TestButton button;
        ASSERT_TRUE(button.SubclassDlgItem(IDCANCEL, &dialog));
        EXPECT_NE(GetWindowLongPtrA(cancel, GWLP_WNDPROC), original);
    }
    EXPECT_TRUE(IsWindow(cancel));
    EXPECT_EQ(GetWindowLongPtrA(cancel, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(cancel), nullptr);
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(cancel));
    EXPECT_EQ(dialog.cancels, 1);
}

TEST_F(ClassLibrary, SeveralDrawingContextsMayBeHeldAndEachGoesBack) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(TEST_DIALOG_ID));
    long before = WinLayer_LiveDeviceContexts();
    CDC *screenSize = dialog.GetDC();
    CDC *frame = dialog.GetDC();
    ASSERT_NE(screenSize, nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(screenSize->m_hDC, frame->m_hDC);
    EXPECT_EQ(screenSize->GetDeviceCaps(HORZRES), 1024);
    EXPECT_EQ(frame->SetROP2(R2_XORPEN), 13);
    EXPECT_TRUE(frame->Rectangle(0, 0, 10, 10));
    EXPECT_EQ(dialog.ReleaseDC(frame), 1);
    EXPECT_EQ(dialog.ReleaseDC(screenSize), 1);
    EXPECT_EQ(WinLayer_LiveDeviceContexts(), before);
    {
        TestButton button;
        ASSERT_TRUE(button.SubclassDlgItem(IDCANCEL, &dialog));
        ASSERT_NE(button.GetDC(), nullptr);
    }
    EXPECT_EQ(WinLayer_LiveDeviceContexts(), before) << "a context held by a destroyed object was lost";
}
