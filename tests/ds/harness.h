// Loads a fresh data source per test, from a folder of its own with the fake
// scan module and the fake Source Manager beside it. Every test ends with
// the process as it found it: each global block and heap block made during
// the test freed (by the data source, or by the test for what was handed to
// it as the application), and the temporary folder empty.
//
// The harness plays a TWAIN 2 Source Manager unless a test says otherwise:
// at load and before each open it hands the source its entry point (the
// fake's DSM_Entry) and memory functions (DAT_ENTRYPOINT). Its memory is
// fixed global blocks, whose handles are plain pointers as on Linux and which
// the layer counts, sizes and can fail; what the source hands over is read
// and freed with GlobalLock, GlobalSize and GlobalFree as before.
#ifndef QR_TESTS_DS_HARNESS_H
#define QR_TESTS_DS_HARNESS_H

#include "fake_scan_module.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

struct FakeSourceManagerState {
    int calls;
    TW_UINT32 lastOriginId;
    TW_UINT32 lastDestId;
    TW_UINT32 lastDG;
    TW_UINT16 lastDAT;
    TW_UINT16 lastMSG;
    TW_MEMREF lastData;
    char log[2048];
};

enum class ScanModuleKind { Complete, Partial, Missing };

class DataSourceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Prepares the folder; call before LoadSource to change what it holds.
    void WriteSettings(const std::string &contents);
    void UseScanModule(ScanModuleKind kind, const std::string &fileName = "qvsmod.dll");

    // Loads and resets the fake scan module (LoadSource does it when no test
    // did): a test scripts answers needed at start-up in between.
    void PrepareScanModule();
    // Back to a working scanner with an empty log.
    void ResetScanModule();
    void LoadSource();
    void UnloadSource();
    // DAT_ENTRYPOINT MSG_SET as a TWAIN 2 Source Manager sends it.
    TW_UINT16 SendEntryPoint();

    TW_UINT16 Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data);
    // The condition code DAT_STATUS reports (and clears).
    TW_UINT16 Status();

    // Walks the source to a state: 400, 500 (with or without the scan
    // module's dialog) or 600.
    void Open();
    TW_UINT16 Enable(bool showUI);
    void ReachXferReady();
    // The TWAIN state times 100, found by asking the triplets each state
    // accepts. Clears the condition code.
    TW_UINT16 ProbeState();

    // Files and folders in the data source's temporary folder.
    std::vector<std::string> TempEntries() const;
    long LiveHandles() const;

    std::string folder_;
    std::vector<std::string> messages_;  // every message box shown, in order
    HMODULE ds_ = nullptr;
    HMODULE scanModule_ = nullptr;
    HMODULE dsm_ = nullptr;
    DSENTRYPROC dsEntry_ = nullptr;
    ReadytoScanProc readytoScan_ = nullptr;
    ReadytoCloseSMProc readytoCloseSM_ = nullptr;
    FakeScanModuleState *sm_ = nullptr;
    FakeSourceManagerState *dsm = nullptr;
    TW_IDENTITY app_{};
    TW_IDENTITY identity_{};  // ours as the Source Manager assigns it
    // False: a TWAIN 1.x Source Manager, which never sends DAT_ENTRYPOINT.
    bool twain2Manager_ = true;

private:
    void ExpectProcessAsFound();

    long globalHandlesAtStart_ = 0;
    long heapBlocksAtStart_ = 0;
    std::string scanModuleFile_ = "qvsmod.dll";
    ScanModuleKind scanModuleKind_ = ScanModuleKind::Complete;
};

#endif
