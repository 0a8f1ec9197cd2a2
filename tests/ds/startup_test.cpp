// Loading the data source: the settings file, the scan module, the identity.
#include "harness.h"

#include "winlayer_test.h"

#include <string>

class Startup : public DataSourceTest {
protected:
    void ExpectRefusedAsUnloaded() {
        TW_IDENTITY identity{};
        EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_FAILURE);
        EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_FAILURE);
        TW_STATUS status{};
        EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
        EXPECT_EQ(ProbeState(), 0);
    }
};

TEST_F(Startup, IdentityCarriesWhatTheScanModuleReports) {
    LoadSource();
    EXPECT_EQ(std::string(sm_->log), "GetProductName(13)");
    TW_IDENTITY identity{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(+identity.Id, 0u);
    EXPECT_EQ(identity.Version.MajorNum, 2);
    EXPECT_EQ(identity.Version.MinorNum, 7);
    EXPECT_EQ(identity.Version.Language, TWLG_USA);
    EXPECT_EQ(identity.Version.Country, TWCY_TAIWAN);
    EXPECT_STREQ(identity.Version.Info, "Fake 2.7");
    EXPECT_EQ(identity.ProtocolMajor, 1);
    EXPECT_EQ(identity.ProtocolMinor, 5);
    EXPECT_EQ(+identity.SupportedGroups, (TW_UINT32)(DG_CONTROL | DG_IMAGE | DF_DS2));
    EXPECT_STREQ(identity.Manufacturer, "Test Maker");
    EXPECT_STREQ(identity.ProductFamily, "Fake Family");
    EXPECT_STREQ(identity.ProductName, "Fake Flatbed");
    EXPECT_EQ(ProbeState(), 300);
}

TEST_F(Startup, OverlongProductStringsAreCutToTheIdentityFields) {
    PrepareScanModule();
    // The module fills all 36 bytes of the buffer, terminator included.
    memset(sm_->productName, 'P', 40);
    sm_->productName[40] = '\0';
    LoadSource();
    TW_IDENTITY identity{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(std::string(identity.ProductName), std::string(33, 'P'));
}

TEST_F(Startup, WithoutSettingsFileTheDefaultScanModuleIsLoaded) {
    LoadSource();  // no QRVM.INI was written; the module is qvsmod.dll
    EXPECT_EQ(ProbeState(), 300);
}

TEST_F(Startup, SettingsNameTheScanModuleCaseInsensitively) {
    WriteSettings("; the scanner of this test\n[scanner]\n  SCANDLL = other.dll\n");
    UseScanModule(ScanModuleKind::Complete, "other.dll");
    LoadSource();
    EXPECT_EQ(ProbeState(), 300);
    EXPECT_EQ(std::string(sm_->log), "GetProductName(13)");
}

TEST_F(Startup, MissingScanModuleLeavesAQuietSourceInState0) {
    WriteSettings("[Scanner]\nScanDll=absent.dll\n");
    UseScanModule(ScanModuleKind::Missing);
    LoadSource();
    ExpectRefusedAsUnloaded();
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Startup, UnloadableFileIsTreatedAsMissing) {
    WriteSettings("[Scanner]\nScanDll=QRVM.INI\n");  // not a library at all
    UseScanModule(ScanModuleKind::Missing);
    LoadSource();
    ExpectRefusedAsUnloaded();
}

TEST_F(Startup, ScanModuleNameTooLongForAPathIsNotCut) {
    WriteSettings("[Scanner]\nScanDll=" + std::string(300, 'x') + ".dll\n");
    UseScanModule(ScanModuleKind::Missing);
    LoadSource();
    ExpectRefusedAsUnloaded();
}

TEST_F(Startup, MissingOperationsFailCleanly) {
    UseScanModule(ScanModuleKind::Partial);  // no OpenSMUI, NoUItoXferImage, CloseSMUI
    LoadSource();
    Open();
    // It cannot scan without a dialog, and says so.
    TW_CAPABILITY cap{CAP_UICONTROLLABLE, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
    EXPECT_EQ(+static_cast<TW_ONEVALUE *>(cap.hContainer)->Item, (TW_UINT32)FALSE);
    GlobalFree(cap.hContainer);
    EXPECT_EQ(Enable(true), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_LOWMEMORY);
    EXPECT_EQ(Enable(false), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_LOWMEMORY);
    EXPECT_EQ(ProbeState(), 500);
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Startup, ReloadingGivesAFreshSource) {
    LoadSource();
    ReachXferReady();
    UnloadSource();
    LoadSource();
    TW_IDENTITY identity{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(+identity.Id, 0u);
    EXPECT_EQ(ProbeState(), 300);
}
