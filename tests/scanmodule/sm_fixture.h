// Loads a private copy of the scan module from a fresh folder, with the
// QRVM.INI a test writes beside it, and binds its fourteen operations.
#ifndef QR_TEST_SM_FIXTURE_H
#define QR_TEST_SM_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "scanmodule.h"

typedef ScanModuleOpsTable SmOps;

template <class Proc>
Proc BindExport(HMODULE module, const char *name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

class ScanModuleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes [Simulator] with `keys` ("Key=Value\n" lines) and loads the module.
    void Load(const std::string &keys = "");
    // Writes `text` as the whole QRVM.INI (none when empty) and loads.
    void LoadWithIni(const std::string &text);
    // Unloads the module, for a second Load in one test.
    void Unload() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    // Loads the QRVM.ds stand-in, whose callbacks the module falls back on.
    void LoadHost();
    int HostScans();
    int HostCloses();
    // Starts a job the way the data source does without a dialog.
    void StartJob();

    std::string folder_;
    HMODULE module_ = nullptr;
    HMODULE host_ = nullptr;
    SmOps ops_{};
};

#endif
