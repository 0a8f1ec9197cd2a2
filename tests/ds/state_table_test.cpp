// Every triplet with a state rule, in every state the source can reach:
// accepted where the table says so, refused with TWCC_SEQERROR and no change
// of state everywhere else.
#include "harness.h"

#include <filesystem>

#include <stdio.h>
#include <string>
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
    {"SETUPMEMXFER GET", DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, 400, 600},
    {"SETUPFILEXFER GET", DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, 400, 600},
    {"SETUPFILEXFER SET", DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, 400, 600},
    {"IMAGENATIVEXFER GET", DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, 600, 600},
    {"IMAGEFILEXFER GET", DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, 600, 600},
    {"IMAGEMEMXFER GET", DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, 600, 700},
    {"CAPABILITY GET", DG_CONTROL, DAT_CAPABILITY, MSG_GET, 0, 700},
};

// Data for a triplet: zeroes, but for what a handler needs to get past its
// state check and do its work.
struct TripletData {
    alignas(8) TW_UINT8 bytes[512] = {};
    TW_UINT8 strip[4096] = {};
    explicit TripletData(const StateRule &rule, const std::string &file) {
        if (rule.DAT == DAT_CAPABILITY) {
            reinterpret_cast<TW_CAPABILITY *>(bytes)->Cap = ICAP_XFERMECH;
        } else if (rule.DAT == DAT_SETUPFILEXFER) {
            auto *setup = reinterpret_cast<TW_SETUPFILEXFER *>(bytes);
            snprintf(setup->FileName, sizeof setup->FileName, "%s", file.c_str());
            setup->Format = TWFF_BMP;
        } else if (rule.DAT == DAT_IMAGEMEMXFER) {
            auto *xfer = reinterpret_cast<TW_IMAGEMEMXFER *>(bytes);
            xfer->Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
            xfer->Memory.Length = sizeof strip;
            xfer->Memory.TheMem = strip;
        }
    }
    // Frees what a handler handed over.
    void Release(const StateRule &rule) {
        HGLOBAL handed = nullptr;
        if (rule.DAT == DAT_CAPABILITY) handed = reinterpret_cast<TW_CAPABILITY *>(bytes)->hContainer;
        if (rule.DAT == DAT_IMAGENATIVEXFER) handed = *reinterpret_cast<TW_HANDLE *>(bytes);
        if (handed) GlobalFree(handed);
    }
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
        if (state >= 600) {
            sm_->noUIAnnounces = TRUE;
            ASSERT_EQ(Enable(false), TWRC_SUCCESS);
        }
        if (state == 700) {
            TW_HANDLE dib = nullptr;
            ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
            GlobalFree(dib);
        }
        ASSERT_EQ(ProbeState(), state);
    }

    void CheckEveryRuleIn(TW_UINT16 state) {
        for (const StateRule &rule : kRules) {
            SCOPED_TRACE(testing::Message() << rule.name << " in state " << state);
            Reach(state);
            TripletData data(rule, folder_ + "/image.bmp");
            TW_UINT16 rc = Call(rule.DG, rule.DAT, rule.MSG, data.bytes);
            data.Release(rule);
            // A file transfer's file, under the default name, is the
            // application's to remove.
            std::error_code ignored;
            std::filesystem::remove(folder_ + "/tmp/QRX5168.TIF", ignored);
            bool accepted = state >= rule.lowest && state <= rule.highest;
            if (accepted) {
                // Whatever the outcome, it is not the state rule's.
                if (rc == TWRC_FAILURE && state >= 400) {
                    EXPECT_NE(Status(), TWCC_SEQERROR);
                } else {
                    EXPECT_NE(rc, TWRC_FAILURE);
                }
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
TEST_F(StateTable, Transferred700) { CheckEveryRuleIn(700); }

TEST_F(StateTable, WithoutScanModuleEveryRuleRefuses) {
    UseScanModule(ScanModuleKind::Missing);
    LoadSource();
    for (const StateRule &rule : kRules) {
        SCOPED_TRACE(rule.name);
        TripletData data(rule, folder_ + "/image.bmp");
        TW_UINT16 rc = Call(rule.DG, rule.DAT, rule.MSG, data.bytes);
        data.Release(rule);
        if (rule.DAT != DAT_CAPABILITY) {
            EXPECT_EQ(rc, TWRC_FAILURE);
        }
    }
    EXPECT_EQ(ProbeState(), 0);
}
