// Every triplet with a state rule, in every state the source can reach:
// accepted where the table says so, refused with TWCC_SEQERROR and no change
// of state everywhere else.
#include "harness.h"

#include <vector>

namespace {

struct StateRule {
    const char *name;
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    TW_UINT16 lowest, highest;  // accepted states
};

const StateRule kRules[] = {
    {"IDENTITY GET", DG_CONTROL, DAT_IDENTITY, MSG_GET, 300, 700},
    {"IDENTITY OPENDS", DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 300, 300},
    {"IDENTITY CLOSEDS", DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, 400, 700},
    {"USERINTERFACE ENABLEDS", DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, 400, 400},
    {"USERINTERFACE DISABLEDS", DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, 500, 700},
    {"STATUS GET", DG_CONTROL, DAT_STATUS, MSG_GET, 400, 700},
    {"XFERGROUP GET", DG_CONTROL, DAT_XFERGROUP, MSG_GET, 400, 600},
    {"PENDINGXFERS GET", DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, 400, 700},
    {"PENDINGXFERS ENDXFER", DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, 600, 700},
    {"PENDINGXFERS RESET", DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, 600, 600},
    {"IMAGEINFO GET", DG_IMAGE, DAT_IMAGEINFO, MSG_GET, 600, 600},
    {"IMAGELAYOUT GET", DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, 400, 600},
    {"IMAGELAYOUT GETDEFAULT", DG_IMAGE, DAT_IMAGELAYOUT, MSG_GETDEFAULT, 400, 600},
    {"IMAGELAYOUT SET", DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, 400, 400},
    {"IMAGELAYOUT RESET", DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, 400, 400},
};

}  // namespace

class StateTable : public DataSourceTest {
protected:
    // A fresh source walked to `state`.
    void Reach(TW_UINT16 state) {
        UnloadSource();
        ResetScanModule();
        LoadSource();
        if (state >= 400) Open();
        if (state == 500) {
            ASSERT_EQ(Enable(true), TWRC_SUCCESS);
        }
        if (state == 600) {
            sm_->noUIAnnounces = TRUE;
            ASSERT_EQ(Enable(false), TWRC_SUCCESS);
        }
        ASSERT_EQ(ProbeState(), state);
    }

    void CheckEveryRuleIn(TW_UINT16 state) {
        for (const StateRule &rule : kRules) {
            SCOPED_TRACE(testing::Message() << rule.name << " in state " << state);
            Reach(state);
            alignas(8) TW_UINT8 data[512] = {};
            TW_UINT16 rc = Call(rule.DG, rule.DAT, rule.MSG, data);
            bool accepted = state >= rule.lowest && state <= rule.highest;
            if (accepted) {
                EXPECT_EQ(rc, TWRC_SUCCESS);
                continue;
            }
            EXPECT_EQ(rc, TWRC_FAILURE);
            if (state >= 400) {
                EXPECT_EQ(Status(), TWCC_SEQERROR);
            }
            EXPECT_EQ(ProbeState(), state);
        }
    }
};

TEST_F(StateTable, Loaded300) { CheckEveryRuleIn(300); }
TEST_F(StateTable, Open400) { CheckEveryRuleIn(400); }
TEST_F(StateTable, Enabled500) { CheckEveryRuleIn(500); }
TEST_F(StateTable, XferReady600) { CheckEveryRuleIn(600); }

TEST_F(StateTable, WithoutScanModuleEveryRuleRefuses) {
    UseScanModule(ScanModuleKind::Missing);
    LoadSource();
    for (const StateRule &rule : kRules) {
        SCOPED_TRACE(rule.name);
        alignas(8) TW_UINT8 data[512] = {};
        EXPECT_EQ(Call(rule.DG, rule.DAT, rule.MSG, data), TWRC_FAILURE);
    }
    EXPECT_EQ(ProbeState(), 0);
}
