// Cancel pressed in the real progress dialog while a queued image is copied:
// the transfer ends with TWRC_CANCEL in state 7, and the image, its spool
// file and any output file are gone.
#include "xfer_fixture.h"

#include "winlayer_test.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const UINT kFindDialog = WM_APP;
const UINT kReleaseButton = WM_APP + 1;

// The user: once the transfer's message pump comes round, finds the
// progress dialog and clicks its Cancel button, press and release each
// arriving through the pump.
struct User {
    HWND window = nullptr;
    bool foundDialog = false;
    bool pressed = false;
    POINT cancel = {0, 0};
} gUser;

LRESULT CALLBACK UserProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == kFindDialog) {
        HWND dialog = FindWindowA(nullptr, "Image Data Transferring...");
        HWND button = dialog ? GetDlgItem(dialog, IDCANCEL) : nullptr;
        gUser.foundDialog = button != nullptr;
        if (!button) return 0;
        RECT rect;
        GetWindowRect(button, &rect);
        gUser.cancel = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        gUser.pressed = WinLayer_PostMouseInput(WM_LBUTTONDOWN, gUser.cancel.x, gUser.cancel.y);
        // The release goes to whoever holds the mouse once the press is in.
        PostMessageA(window, kReleaseButton, 0, 0);
        return 0;
    }
    if (message == kReleaseButton) {
        WinLayer_PostMouseInput(WM_LBUTTONUP, gUser.cancel.x, gUser.cancel.y);
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

}  // namespace

class CancelDuringCopy : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = UserProc;
        windowClass.lpszClassName = "QrvmTestUser";
        RegisterClassA(&windowClass);
        gUser = User();
        gUser.window =
            CreateWindowExA(0, "QrvmTestUser", "user", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(gUser.window, nullptr);
    }
    void TearDown() override {
        DestroyWindow(gUser.window);
        MSG stray;
        while (PeekMessageA(&stray, nullptr, 0, 0, PM_REMOVE)) {
        }
        TransferTest::TearDown();
    }
    // 24-bit, 12 blocks of 21 lines, four of them spooled.
    void ScriptSpooledImage(bool enlarged) {
        ScriptQueued(1000, 12 * 21, 24, 21, 64);
        if (enlarged) ScanAt(300, 600);
    }
};

TEST_F(CancelDuringCopy, EveryQueuedTransferStopsAndLeavesNothing) {
    for (bool enlarged : {false, true}) {
        for (Road road : {Road::Native, Road::Bmp, Road::Tiff, Road::Memory}) {
            SCOPED_TRACE(std::string(RoadName(road)) + (enlarged ? " enlarged" : ""));
            ScriptSpooledImage(enlarged);
            Announce();
            ASSERT_FALSE(TempEntries().empty());
            gUser.foundDialog = gUser.pressed = false;
            PostMessageA(gUser.window, kFindDialog, 0, 0);
            Bytes delivered;
            EXPECT_EQ(TransferBy(road, &delivered), TWRC_CANCEL);
            EXPECT_TRUE(gUser.foundDialog);
            EXPECT_TRUE(gUser.pressed);
            EXPECT_EQ(ProbeState(), 700);
            EXPECT_TRUE(TempEntries().empty()) << "spool file left";
            if (road == Road::Native) {
                EXPECT_TRUE(delivered.empty()) << "a cancelled bitmap was handed over";
            }
            if (road == Road::Bmp || road == Road::Tiff) {
                EXPECT_TRUE(delivered.empty()) << "a cancelled file was left";
            }
            EXPECT_EQ(FindWindowA(nullptr, "Image Data Transferring..."), nullptr);
            EXPECT_EQ(LiveHandles(), baselineHandles_);
            UnloadSource();
        }
    }
}

TEST_F(CancelDuringCopy, BmpCancelIsReported) {
    ScriptSpooledImage(false);
    Announce();
    PostMessageA(gUser.window, kFindDialog, 0, 0);
    EXPECT_EQ(FileXfer(Scratch("cancelled.bmp"), TWFF_BMP), TWRC_CANCEL);
    EXPECT_TRUE(Shown("Error!\n OpenDIB Failure"));
    EXPECT_FALSE(fs::exists(Scratch("cancelled.bmp")));
}

TEST_F(CancelDuringCopy, ReleaseOutsideTheButtonDoesNotCancel) {
    ScriptSpooledImage(false);
    Announce();
    PostMessageA(gUser.window, kFindDialog, 0, 0);
    // The press lands on the button; the release far from it.
    struct Away {
        static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
            if (message == kReleaseButton) {
                WinLayer_PostMouseInput(WM_LBUTTONUP, gUser.cancel.x + 500, gUser.cancel.y + 500);
                return 0;
            }
            return UserProc(window, message, w, l);
        }
    };
    SetWindowLongPtrA(gUser.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Away::Proc));
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_XFERDONE);
    EXPECT_TRUE(gUser.pressed);
    TakeDib(dib);
}

// The 65,535th step of a copy is a step like any other, not a Cancel press.
class ManySteps : public TransferTest {};

TEST_F(ManySteps, ImageOf65536OneRowBlocksIsCopiedWhole) {
    for (Road road : {Road::Native, Road::Memory}) {  // the block copy, and a strip per block
        SCOPED_TRACE(RoadName(road));
        ScriptQueued(4, 1, 8, 1, 1);
        sm_->uniformBlocks = 65536;
        sm_->uniformRows = 1;
        scanned_ = PatternImage(4, 65536, 8);
        Announce();
        Bytes delivered;
        ASSERT_EQ(TransferBy(road, &delivered), TWRC_XFERDONE);
        EXPECT_TRUE(delivered == (road == Road::Native ? ExpectedDib(scanned_, 300, 300) : scanned_.Joined()));
        UnloadSource();
    }
}
