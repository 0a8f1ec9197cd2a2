// A fresh Source Manager per test, loaded as an application loads it, with a
// sources folder holding two fake sources and a file that is not a source.
#ifndef QR_TEST_DSM_FIXTURE_H
#define QR_TEST_DSM_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dsm_internal.h"

class DsmTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TW_UINT16 Call(pTW_IDENTITY dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
        return entry_(&app_, dest, dg, dat, msg, data);
    }
    TW_UINT16 OpenManager() { return Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_); }
    TW_UINT16 OpenSource(const char *name, TW_IDENTITY *source);
    TW_UINT16 CloseSource(TW_IDENTITY *source) { return Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, source); }
    TW_UINT16 Enable(TW_IDENTITY *source);
    TW_UINT16 ManagerCondition();
    // Offers every waiting message to `source`; the TWAIN messages it yields.
    std::vector<TW_UINT16> PumpEvents(TW_IDENTITY *source);
    // An export of a source the manager has loaded.
    template <class Proc>
    Proc SourceExport(const char *file, const char *name) {
        HMODULE module = GetModuleHandleA(file);
        return module ? reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)))
                      : nullptr;
    }

    std::string folder_;
    HMODULE dsm_ = nullptr;
    DSMENTRYPROC entry_ = nullptr;
    HWND window_ = nullptr;
    TW_IDENTITY app_{};
    std::vector<TW_UINT32> opened_;  // closed again at the end of the test
};

#endif
