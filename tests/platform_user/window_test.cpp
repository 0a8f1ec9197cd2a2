// Windows: creation, destruction, handles, texts, longs, visibility and
// geometry.
#include "support.h"

#include <algorithm>
#include <thread>

namespace {

class Windows : public UserTest {};

void *gCreateParam = nullptr;
LRESULT gCreateResult = 0;

LRESULT CreateWatcherProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CREATE) {
        gCreateParam = reinterpret_cast<CREATESTRUCTA *>(l)->lpCreateParams;
        return gCreateResult;
    }
    return DefWindowProcA(window, message, w, l);
}

const char *CreateWatcherClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = CreateWatcherProc;
        wc.lpszClassName = "UserTestCreateWatcher";
        wc.cbWndExtra = 16;
        registered = RegisterClassA(&wc) != 0;
    }
    return "UserTestCreateWatcher";
}

WNDPROC gOriginalProc = nullptr;
int gSubclassCalls = 0;

LRESULT SubclassProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    ++gSubclassCalls;
    return CallWindowProcA(gOriginalProc, window, message, w, l);
}

bool Has(const std::vector<UINT> &messages, UINT message) {
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

}  // namespace

TEST_F(Windows, CreationHandsTheParameterToWmCreateAndMayBeRefused) {
    int marker = 0;
    gCreateResult = 0;
    HWND window = CreateWindowExA(0, CreateWatcherClass(), "w", 0, 0, 0, 50, 50, nullptr, nullptr, nullptr, &marker);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(gCreateParam, &marker);
    DestroyWindow(window);

    gCreateResult = -1;
    EXPECT_EQ(CreateWindowExA(0, CreateWatcherClass(), "w", 0, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    gCreateResult = 0;
}

TEST_F(Windows, CreationRefusesUnknownClassesAndOrphanChildren) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "usertestrecorder";  // taken already: names are compared without case
    EXPECT_EQ(RegisterClassA(&wc), 0);
}

TEST_F(Windows, DestroyedAndMadeUpHandlesAreRefusedNotFollowed) {
    HWND window = CreateRecorder("gone");
    ASSERT_TRUE(DestroyWindow(window));
    HWND madeUp = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
    for (HWND bad : {window, madeUp}) {
        char text[8] = "x";
        EXPECT_FALSE(IsWindow(bad));
        EXPECT_EQ(SendMessageA(bad, WM_USER, 0, 0), 0);
        EXPECT_FALSE(PostMessageA(bad, WM_USER, 0, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_EQ(GetWindowTextA(bad, text, sizeof text), 0);
        EXPECT_STREQ(text, "");
        EXPECT_FALSE(DestroyWindow(bad));
        EXPECT_FALSE(ShowWindow(bad, SW_SHOW));
        EXPECT_EQ(SetWindowLongPtrA(bad, GWLP_USERDATA, 5), 0);
        EXPECT_EQ(GetDC(bad), nullptr);
    }
    HWND next = CreateRecorder("new");
    EXPECT_NE(next, window) << "a destroyed window's handle came back";
    DestroyWindow(next);
}

TEST_F(Windows, DestroyGoesOwnedFirstThenDestroyDownAndNcDestroyUp) {
    HWND parent = CreateRecorder("parent");
    HWND first = CreateRecorder("", parent, 1);
    HWND second = CreateRecorder("", parent, 2);
    HWND grandchild = CreateRecorder("", first, 3);
    HWND owned =
        CreateWindowExA(0, "UserTestRecorder", "owned", WS_POPUP, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
    ClearRecorded();
    ASSERT_TRUE(DestroyWindow(parent));

    std::vector<std::pair<HWND, UINT>> order;
    for (const Recorded &r : RecordedMessages()) {
        if (r.message == WM_DESTROY || r.message == WM_NCDESTROY) order.emplace_back(r.window, r.message);
    }
    std::vector<std::pair<HWND, UINT>> expected = {
        {owned, WM_DESTROY},      {owned, WM_NCDESTROY},  {parent, WM_DESTROY},   {first, WM_DESTROY},
        {grandchild, WM_DESTROY}, {second, WM_DESTROY},   {second, WM_NCDESTROY}, {grandchild, WM_NCDESTROY},
        {first, WM_NCDESTROY},    {parent, WM_NCDESTROY},
    };
    EXPECT_EQ(order, expected);
    for (HWND w : {parent, first, second, grandchild, owned}) EXPECT_FALSE(IsWindow(w));
}

TEST_F(Windows, OnlyTheOwningThreadMayDestroy) {
    HWND window = CreateRecorder();
    BOOL destroyedElsewhere = TRUE;
    std::thread([&] { destroyedElsewhere = DestroyWindow(window); }).join();
    EXPECT_FALSE(destroyedElsewhere);
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
}

TEST_F(Windows, AThreadsWindowsEndWithTheThread) {
    HWND left = nullptr;
    std::thread([&left] {
        left = CreateRecorder("left behind");
        CreateRecorder("", left, 1);
    }).join();
    EXPECT_FALSE(IsWindow(left));
    EXPECT_FALSE(PostMessageA(left, WM_USER, 0, 0));
}

TEST_F(Windows, ReplacedProcedureSeesMessagesAndCanPassThemOn) {
    HWND window = CreateRecorder("before");
    gSubclassCalls = 0;
    gOriginalProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    ASSERT_NE(gOriginalProc, nullptr);
    EXPECT_TRUE(SetWindowTextA(window, "after"));
    char text[16];
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 5);
    EXPECT_STREQ(text, "after");
    EXPECT_EQ(gSubclassCalls, 2);
    EXPECT_TRUE(Has(RecordedFor(window), WM_SETTEXT));
    DestroyWindow(window);
}

TEST_F(Windows, TextIsCutToTheBufferAndAlwaysTerminated) {
    HWND window = CreateRecorder("0123456789");
    char text[5] = {'z', 'z', 'z', 'z', 'z'};
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 4);
    EXPECT_STREQ(text, "0123");
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 10);
    DestroyWindow(window);
}

TEST_F(Windows, RelativesIdsAndLookupByClassAndTitle) {
    HWND parent = CreateRecorder("Parent Title");
    HWND child = CreateRecorder("child", parent, 7);
    HWND grandchild = CreateRecorder("", child, 7);
    HWND popup =
        CreateWindowExA(0, "UserTestRecorder", "popup", WS_POPUP, 0, 0, 5, 5, child, nullptr, nullptr, nullptr);
    HWND owned = CreateWindowExA(0, "UserTestRecorder", "owned", 0, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);

    EXPECT_EQ(GetDlgItem(parent, 7), child);  // direct children only
    EXPECT_EQ(GetDlgItem(parent, 8), nullptr);
    EXPECT_EQ(GetDlgCtrlID(grandchild), 7);
    EXPECT_TRUE(IsChild(parent, grandchild));
    EXPECT_FALSE(IsChild(parent, parent));
    EXPECT_FALSE(IsChild(parent, popup));  // owned, not a child
    EXPECT_EQ(GetParent(child), parent);
    EXPECT_EQ(GetParent(popup), parent);  // a popup's owner is the owner's top-level window
    EXPECT_EQ(GetParent(owned), nullptr);

    EXPECT_EQ(FindWindowA("usertestrecorder", "parent title"), parent);
    EXPECT_EQ(FindWindowA(nullptr, "child"), nullptr);  // children are not top-level windows
    EXPECT_EQ(FindWindowA("BUTTON", "Parent Title"), nullptr);
    DestroyWindow(parent);
    EXPECT_EQ(FindWindowA(nullptr, "Parent Title"), nullptr);
}

TEST_F(Windows, ShowWindowNotifiesOnlyWhatChanged) {
    HWND parent = CreateRecorder("p", nullptr, 0, WS_CAPTION);
    HWND child = CreateRecorder("", parent, 1, WS_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
    ClearRecorded();

    EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
    EXPECT_TRUE(ShowWindow(parent, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(parent, SW_MINIMIZE));
    EXPECT_TRUE(IsIconic(parent));
    ShowWindow(parent, SW_MINIMIZE);
    ShowWindow(parent, SW_RESTORE);
    EXPECT_FALSE(IsIconic(parent));
    ShowWindow(parent, SW_HIDE);

    std::vector<Recorded> seen;
    for (const Recorded &r : RecordedMessages()) {
        if (r.window == parent && (r.message == WM_SHOWWINDOW || r.message == WM_SIZE)) seen.push_back(r);
    }
    RECT client;
    GetClientRect(parent, &client);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_SHOWWINDOW));
    EXPECT_EQ(seen[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(seen[1].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(seen[2].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(seen[2].lParam, MAKELPARAM(client.right, client.bottom));
    EXPECT_EQ(seen[3].message, static_cast<UINT>(WM_SHOWWINDOW));
    EXPECT_EQ(seen[3].wParam, static_cast<WPARAM>(FALSE));
    DestroyWindow(parent);
}

TEST_F(Windows, EnableWindowReportsThePreviousState) {
    HWND window = CreateRecorder();
    EXPECT_FALSE(EnableWindow(window, FALSE));
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_TRUE(EnableWindow(window, FALSE));
    EXPECT_TRUE(EnableWindow(window, TRUE));
    EXPECT_TRUE(IsWindowEnabled(window));
    std::vector<UINT> messages = RecordedFor(window);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), static_cast<UINT>(WM_ENABLE)), 2);
    DestroyWindow(window);
}

TEST_F(Windows, ClientAreaLiesInsideTheFrameAndChildrenInTheClientArea) {
    HWND frame =
        CreateWindowExA(0, "UserTestRecorder", "", WS_CAPTION, 100, 50, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateRecorder("", frame, 1);  // at 10,20 size 200x100 in the client area
    RECT window;
    RECT client;
    GetWindowRect(frame, &window);
    GetClientRect(frame, &client);
    EXPECT_EQ(window.left, 100);
    EXPECT_EQ(window.bottom, 250);
    EXPECT_LT(client.right, 300);
    EXPECT_LT(client.bottom, 200);

    POINT origin = {0, 0};
    ClientToScreen(frame, &origin);
    EXPECT_EQ(origin.x - window.left, (300 - client.right) / 2);  // equal side borders
    RECT childRect;
    GetWindowRect(child, &childRect);
    EXPECT_EQ(childRect.left, origin.x + 10);
    EXPECT_EQ(childRect.top, origin.y + 20);
    POINT back = {childRect.left, childRect.top};
    ScreenToClient(frame, &back);
    EXPECT_EQ(back.x, 10);
    EXPECT_EQ(back.y, 20);
    DestroyWindow(frame);
}

TEST_F(Windows, SetWindowPosMovesSizesAndKeepsTopmostWindowsInFront) {
    HWND older = CreateRecorder("older");
    HWND newer = CreateRecorder("newer");
    EXPECT_EQ(FindWindowA("UserTestRecorder", nullptr), newer);
    ClearRecorded();
    ASSERT_TRUE(SetWindowPos(older, HWND_TOPMOST, 5, 6, 0, 0, SWP_NOSIZE));
    RECT rect;
    GetWindowRect(older, &rect);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_TRUE(Has(RecordedFor(older), WM_MOVE));
    EXPECT_FALSE(Has(RecordedFor(older), WM_SIZE));

    HWND newest = CreateRecorder("newest");
    EXPECT_EQ(FindWindowA("UserTestRecorder", nullptr), older) << "a topmost window fell behind";
    SetWindowPos(older, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(FindWindowA("UserTestRecorder", nullptr), older);  // top of the normal band
    for (HWND w : {older, newer, newest}) DestroyWindow(w);
}

TEST_F(Windows, WindowLongsAndExtraBytesAreBoundsChecked) {
    HWND window = CreateWindowExA(0, CreateWatcherClass(), "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 41), 0);
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 42), 41);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 42);
    EXPECT_EQ(SetWindowLongPtrA(window, 8, 99), 0);  // the class has 16 extra bytes
    EXPECT_EQ(GetWindowLongPtrA(window, 8), 99);
    EXPECT_EQ(SetWindowLongPtrA(window, 12, 1), 0);
    EXPECT_EQ(GetLastError(), 1413u);  // ERROR_INVALID_INDEX
    EXPECT_EQ(GetWindowLongPtrA(window, 12), 0);
    DestroyWindow(window);
}

TEST_F(Windows, RegisteredMessagesAreStablePerNameInTheirRange) {
    UINT first = RegisterWindowMessageA("UserTest Message");
    EXPECT_GE(first, 0xC000u);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("usertest message"), first);
    EXPECT_NE(RegisterWindowMessageA("UserTest Other"), first);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}
