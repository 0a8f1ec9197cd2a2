// Dialogs built from a module's templates, and IsDialogMessage.
#include "support.h"
#include "test_dialogs.h"

#include <vector>

namespace {

struct DialogLog {
    LPARAM initParam = 0;
    WPARAM initFocus = 0;
    std::vector<WPARAM> commands;
    std::vector<LPARAM> commandSources;
    bool endOnCancel = false;
};

DialogLog gLog;

INT_PTR TestDialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_INITDIALOG:
        gLog.initParam = l;
        gLog.initFocus = w;
        return TRUE;
    case WM_COMMAND:
        gLog.commands.push_back(w);
        gLog.commandSources.push_back(l);
        if (gLog.endOnCancel && LOWORD(w) == IDCANCEL) EndDialog(dialog, 42);
        return TRUE;
    default:
        return FALSE;
    }
}

class Dialogs : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        gLog = DialogLog();
        module_ = LoadLibraryA(QR_USER_TEST_MODULE_PATH);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        FreeLibrary(module_);
        UserTest::TearDown();
    }

    HWND Create(LPCSTR name = MAKEINTRESOURCEA(TEST_DIALOG_ID)) {
        dialog_ = CreateDialogParamA(module_, name, nullptr, TestDialogProc, 77);
        return dialog_;
    }

    // Offers every waiting message to the dialog, as a data source does.
    void PumpThroughDialog() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog_, &msg)) DispatchMessageA(&msg);
        }
    }

    BOOL OfferKey(WPARAM key) {
        MSG msg = {GetFocus(), WM_KEYDOWN, key, 1, 0, {0, 0}};
        return IsDialogMessageA(dialog_, &msg);
    }

    std::string TextOf(int id) {
        char text[64];
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }

    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
};

}  // namespace

TEST_F(Dialogs, BuiltFromTheModulesTemplateWithItsControls) {
    ASSERT_NE(Create(), nullptr);
    char caption[32];
    GetWindowTextA(dialog_, caption, sizeof caption);
    EXPECT_STREQ(caption, "Module Dialog");
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(gLog.initParam, 77);
    EXPECT_EQ(reinterpret_cast<HWND>(gLog.initFocus), GetDlgItem(dialog_, TEST_EDIT_ID));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog_, TEST_EDIT_ID));  // the procedure returned TRUE

    EXPECT_EQ(TextOf(TEST_BAR_ID), "");
    EXPECT_EQ(TextOf(TEST_EDIT_ID), "typed");
    EXPECT_EQ(TextOf(IDOK), "OK");
    EXPECT_EQ(TextOf(IDCANCEL), "Cancel");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog_, TEST_BAR_ID)));

    RECT client;
    GetClientRect(dialog_, &client);
    EXPECT_EQ(client.right, 166 * 2);
    EXPECT_EQ(client.bottom, 43 * 2);
    RECT bar;
    GetWindowRect(GetDlgItem(dialog_, TEST_BAR_ID), &bar);
    POINT topLeft = {bar.left, bar.top};
    ScreenToClient(dialog_, &topLeft);
    EXPECT_EQ(topLeft.x, 10);
    EXPECT_EQ(topLeft.y, 20);
    EXPECT_EQ(bar.right - bar.left, 310);
    EXPECT_EQ(bar.bottom - bar.top, 16);
}

TEST_F(Dialogs, TemplatesAreFoundByNumberOrHashNameInTheRightModule) {
    ASSERT_NE(Create("#300"), nullptr);
    DestroyWindow(dialog_);
    dialog_ = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(TEST_DIALOG_ID), nullptr, TestDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    char caption[32];
    GetWindowTextA(dialog_, caption, sizeof caption);
    EXPECT_STREQ(caption, "Program Dialog");  // the program's own resources
}

TEST_F(Dialogs, MissingOrBrokenTemplatesMakeNoWindow) {
    EXPECT_EQ(Create(MAKEINTRESOURCEA(999)), nullptr);
    EXPECT_EQ(Create("NoSuchName"), nullptr);
    EXPECT_EQ(Create(MAKEINTRESOURCEA(301)), nullptr);  // a control of an unknown class
    EXPECT_TRUE(gLog.initParam == 0) << "WM_INITDIALOG reached a dialog that failed";
}

TEST_F(Dialogs, CloseIsCancelAndEndDialogHidesAndKeepsTheResult) {
    gLog.endOnCancel = true;
    ASSERT_NE(Create(), nullptr);
    INT_PTR result = 0;
    EXPECT_FALSE(WinLayer_GetDialogResult(dialog_, &result));
    SendMessageA(dialog_, WM_CLOSE, 0, 0);
    ASSERT_EQ(gLog.commands.size(), 1u);
    EXPECT_EQ(LOWORD(gLog.commands[0]), IDCANCEL);
    EXPECT_TRUE(IsWindow(dialog_)) << "a modeless dialog is hidden, not destroyed";
    EXPECT_FALSE(IsWindowVisible(dialog_));
    ASSERT_TRUE(WinLayer_GetDialogResult(dialog_, &result));
    EXPECT_EQ(result, 42);
}

TEST_F(Dialogs, IsDialogMessageTakesOnlyTheDialogsOwnMessages) {
    ASSERT_NE(Create(), nullptr);
    HWND other = CreateRecorder("other");
    MSG foreign = {other, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(IsDialogMessageA(dialog_, &foreign));
    EXPECT_TRUE(RecordedFor(other).empty() || RecordedFor(other).back() != WM_USER)
        << "a foreign message was dispatched";
    MSG thread = {nullptr, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(IsDialogMessageA(dialog_, &thread));

    MSG toControl = {GetDlgItem(dialog_, TEST_EDIT_ID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"), 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageA(dialog_, &toControl));
    EXPECT_EQ(TextOf(TEST_EDIT_ID), "changed");
    MSG toDialog = {dialog_, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageA(dialog_, &toDialog));

    EXPECT_FALSE(IsDialogMessageA(other, &toDialog)) << "another window took the dialog's message";
    DestroyWindow(other);
    HWND gone = dialog_;
    DestroyWindow(dialog_);
    dialog_ = nullptr;
    EXPECT_FALSE(IsDialogMessageA(gone, &toDialog));
}

TEST_F(Dialogs, TabWalksTheTabStopsAndEnterAndEscapePressButtons) {
    ASSERT_NE(Create(), nullptr);
    HWND edit = GetDlgItem(dialog_, TEST_EDIT_ID);
    HWND ok = GetDlgItem(dialog_, IDOK);
    HWND cancel = GetDlgItem(dialog_, IDCANCEL);
    ASSERT_EQ(GetFocus(), edit);
    EXPECT_TRUE(OfferKey(VK_TAB));
    EXPECT_EQ(GetFocus(), ok);
    OfferKey(VK_TAB);
    EXPECT_EQ(GetFocus(), cancel);
    OfferKey(VK_TAB);
    EXPECT_EQ(GetFocus(), edit) << "the bar is no tab stop; the walk wraps";

    OfferKey(VK_RETURN);  // the default button
    SetFocus(cancel);
    OfferKey(VK_RETURN);  // the focused push button
    OfferKey(VK_ESCAPE);
    EnableWindow(cancel, FALSE);
    OfferKey(VK_ESCAPE);  // a disabled Cancel cannot be pressed
    ASSERT_EQ(gLog.commands.size(), 3u);
    EXPECT_EQ(LOWORD(gLog.commands[0]), IDOK);
    EXPECT_EQ(reinterpret_cast<HWND>(gLog.commandSources[0]), ok);
    EXPECT_EQ(LOWORD(gLog.commands[1]), IDCANCEL);
    EXPECT_EQ(LOWORD(gLog.commands[2]), IDCANCEL);
}

TEST_F(Dialogs, TypedKeysReachTheFocusedEdit) {
    ASSERT_NE(Create(), nullptr);
    ASSERT_TRUE(WinLayer_PostKeyInput('X'));
    PumpThroughDialog();
    EXPECT_EQ(TextOf(TEST_EDIT_ID), "typedx");
}

TEST_F(Dialogs, AClickOnAButtonSendsItsCommandOnlyWhenReleasedOverIt) {
    ASSERT_NE(Create(), nullptr);
    HWND cancel = GetDlgItem(dialog_, IDCANCEL);
    RECT rect;
    GetWindowRect(cancel, &rect);
    int x = (rect.left + rect.right) / 2;
    int y = (rect.top + rect.bottom) / 2;

    WinLayer_PostMouseInput(WM_LBUTTONDOWN, x, y);
    PumpThroughDialog();
    ASSERT_TRUE(WinLayer_PostMouseInput(WM_LBUTTONUP, rect.right + 50, y));  // the captured button hears it
    PumpThroughDialog();
    EXPECT_TRUE(gLog.commands.empty());
    EXPECT_EQ(GetCapture(), nullptr);

    WinLayer_PostMouseInput(WM_LBUTTONDOWN, x, y);
    PumpThroughDialog();
    EXPECT_EQ(GetCapture(), cancel);
    WinLayer_PostMouseInput(WM_LBUTTONUP, x, y);
    PumpThroughDialog();
    ASSERT_EQ(gLog.commands.size(), 1u);
    EXPECT_EQ(gLog.commands[0], MAKEWPARAM(IDCANCEL, 0));
    EXPECT_EQ(reinterpret_cast<HWND>(gLog.commandSources[0]), cancel);
}
