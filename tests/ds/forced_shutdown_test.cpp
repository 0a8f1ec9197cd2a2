// An application that quits with the source open: its Source Manager sends
// MSG_ENDXFER, MSG_RESET, MSG_DISABLEDS and MSG_CLOSEDS whatever the state.
// The source ends up closed with nothing left behind, whatever it was
// doing, and opens again for a whole image.
#include "xfer_fixture.h"

#include "winlayer_test.h"

namespace {

enum class Moment { Loaded, Open, EnabledWithDialog, ImageSpooled, MidMemoryTransfer, ScanFileWritten, Transferred };

struct Case {
    const char *what;
    Moment moment;
};

const Case kCases[] = {
    {"loaded", Moment::Loaded},
    {"open", Moment::Open},
    {"enabled with the scan module's dialog", Moment::EnabledWithDialog},
    {"an image spooled and announced", Moment::ImageSpooled},
    {"in the middle of a memory transfer", Moment::MidMemoryTransfer},
    {"the scan module's file written for a memory transfer", Moment::ScanFileWritten},
    {"transferred, end not yet sent", Moment::Transferred},
};

}  // namespace

class ForcedShutdown : public TransferTest {
protected:
    void Reach(Moment moment) {
        if (moment == Moment::Loaded) return;
        if (moment == Moment::Open) {
            Open();
            return;
        }
        if (moment == Moment::EnabledWithDialog) {
            Open();
            ASSERT_EQ(Enable(true), TWRC_SUCCESS);
            return;
        }
        if (moment == Moment::ScanFileWritten) {
            ScriptDirect(100, 20, 8);
            sm_->deliversFiles = TRUE;
        } else {
            ScriptQueued(1000, 12 * 21, 24, 21, 64);  // four blocks spooled
        }
        ReachXferReady();
        if (moment == Moment::ScanFileWritten) SetUpMemory();
        if (moment == Moment::MidMemoryTransfer) {
            Bytes buffer(64 * 1024);
            TW_IMAGEMEMXFER strip{};
            strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, (TW_UINT32)buffer.size(), buffer.data()};
            ASSERT_EQ(MemXfer(&strip), TWRC_SUCCESS);  // the progress dialog is up
        }
        if (moment == Moment::Transferred) {
            Bytes delivered;
            ASSERT_EQ(TransferBy(Road::Tiff, &delivered), TWRC_XFERDONE);
        }
    }

    void QuitAsTheSourceManagerDoes() {
        TW_PENDINGXFERS pending{};
        Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
        TW_USERINTERFACE ui{};
        Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_);
    }
};

TEST_F(ForcedShutdown, ClosesWhateverTheStateAndLeavesNothing) {
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        LoadSource();
        Reach(c.moment);
        QuitAsTheSourceManagerDoes();
        EXPECT_EQ(ProbeState(), 300);
        EXPECT_EQ(LiveHandles(), baselineHandles_);
        EXPECT_EQ(WinLayer_LiveWindows(), baselineWindows_);
        EXPECT_TRUE(TempEntries().empty());

        // The next application gets a whole image.
        ResetScanModule();
        ScriptQueued(100, 30, 8, 10);
        ReachXferReady();
        Bytes delivered;
        ASSERT_EQ(TransferBy(Road::Memory, &delivered), TWRC_XFERDONE);
        EXPECT_TRUE(delivered == scanned_.Joined());
        QuitAsTheSourceManagerDoes();
        UnloadSource();
        ResetScanModule();  // the dialog the last session left open goes
    }
}
