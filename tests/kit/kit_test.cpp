// A scan module written against the kit header alone, in C, drives the real
// data source: identity, open, a scan without dialog, a bitmap and strips.
#include "scanmodule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdlib.h>
#include <string.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class KitModule : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qrvm-kit-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        fs::copy_file(QR_DS_PATH, folder_ + "/QRVM.ds");
        fs::copy_file(QR_KIT_MODULE_PATH, folder_ + "/kit.dll");
        FILE *ini = fopen((folder_ + "/QRVM.INI").c_str(), "w");
        fputs("[Scanner]\nScanDll=kit.dll\n", ini);
        fclose(ini);
        setenv("WINDIR", folder_.c_str(), 1);  // no Source Manager: nobody to tell
        setenv("TMPDIR", folder_.c_str(), 1);
        ds_ = LoadLibraryA((folder_ + "/QRVM.ds").c_str());
        ASSERT_NE(ds_, nullptr);
        entry_ = reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void (*)(void)>(GetProcAddress(ds_, "DS_Entry")));
        ASSERT_NE(entry_, nullptr);
    }
    void TearDown() override {
        if (ds_) FreeLibrary(ds_);
        unsetenv("WINDIR");
        unsetenv("TMPDIR");
        fs::remove_all(folder_);
    }
    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void *data) { return entry_(&app_, dg, dat, msg, data); }
    void OpenAndScan() {
        TW_IDENTITY identity{};
        ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
        EXPECT_STREQ(identity.ProductName, "Kit Minimal");
        EXPECT_STREQ(identity.Manufacturer, "Kit Maker");
        identity.Id = 1;
        ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_SUCCESS);
        TW_USERINTERFACE ui{};
        ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
        TW_IMAGEINFO info{};
        ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);  // announced: state 6
        EXPECT_EQ(+info.ImageWidth, 16);
        EXPECT_EQ(+info.ImageLength, 8);
    }

    std::string folder_;
    HMODULE ds_ = nullptr;
    DSENTRYPROC entry_ = nullptr;
    TW_IDENTITY app_{};
};

TEST_F(KitModule, BitmapReachesTheApplication) {
    OpenAndScan();
    TW_HANDLE dib = nullptr;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
    // On Linux the bitmap is a plain pointer, which the application frees.
    const BYTE *bitmap = static_cast<const BYTE *>(dib);
    ASSERT_NE(bitmap, nullptr);
    const BYTE *pixels = bitmap + 40 + 1024;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(pixels[(7 - y) * 16 + x], 16 * y + x);
    free(dib);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
}

TEST_F(KitModule, StripsReachTheApplication) {
    OpenAndScan();
    std::vector<BYTE> buffer(48), image;
    TW_UINT16 rc;
    do {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, (TW_UINT32)buffer.size(), buffer.data()};
        rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) << rc;
        image.insert(image.end(), buffer.begin(), buffer.begin() + strip.BytesWritten);
    } while (rc == TWRC_SUCCESS);
    ASSERT_EQ(image.size(), 128u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(image[i], i);
}

TEST_F(KitModule, OperationsLeftOutAreNeverCalled) {
    OpenAndScan();
    TW_USERINTERFACE ui{};
    Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    ui.ShowUI = TRUE;  // the kit module has no dialog
    EXPECT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
    TW_STATUS status{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.ConditionCode, TWCC_LOWMEMORY);
    TW_IDENTITY identity{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_SUCCESS);
}

}  // namespace
