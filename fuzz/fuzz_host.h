// The application side of the fuzz targets. A private folder holds the data
// source, QRVM.INI naming the fuzz scan module, and the module; the data
// source is loaded once for the whole run (the fuzzer keeps the coverage
// counters of every loaded module, and cannot follow one that is unloaded),
// so every input starts from state 3 and ends with the shut-down an
// application makes when it quits, followed by the checks that nothing was
// left behind. A failed check aborts: the fuzzer keeps the input.
#ifndef QR_FUZZ_HOST_H
#define QR_FUZZ_HOST_H

#include "fuzz_scan_module.h"

#include <string>
#include <vector>

// Aborts with `what` when `ok` is false.
void FuzzCheck(bool ok, const char *what);

class FuzzHost {
public:
    // The one host, set up on first use.
    static FuzzHost &Get();

    // The application, as DS_Entry's origin.
    pTW_IDENTITY App() { return &app_; }
    TW_UINT16 Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data);
    TW_UINT16 CallFrom(pTW_IDENTITY origin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data);
    // The condition code DAT_STATUS reports, or 0xFFFF when it is refused.
    TW_UINT16 Status();

    // The scan module's answers for this input (null: the quiet ones).
    void StartScanModule(const FuzzScanScript *script);
    HWND ScanModuleWindow();
    // The scan module's callbacks, as its dialog would call them.
    void ReadytoScan(TW_UINT32 flag);
    void ReadytoCloseSM();

    // DAT_IDENTITY MSG_GET, DAT_ENTRYPOINT, then MSG_OPENDS, as a TWAIN 2
    // Source Manager opens a source; the result of the open.
    TW_UINT16 Open();
    // The host's entry point and memory functions (sent at load and at
    // every open).
    void FillEntryPoint(TW_ENTRYPOINT *entryPoint);
    TW_UINT16 SendEntryPoint();
    const TW_IDENTITY &Identity() const { return identity_; }

    // A handle the application received: freed at the end of the input.
    void Own(HGLOBAL handle);
    // The file names the application may choose, all inside the private
    // folder: good ones, the default, one in a missing folder, a folder,
    // an empty one and one of 255 characters without a terminator.
    static const int kFileNames = 8;
    void FileName(int which, char name[256]) const;
    std::string TempFolder() const { return folder_ + "/tmp"; }

    // What an application does when it quits with the source open (ENDXFER,
    // RESET, DISABLEDS, CLOSEDS, whatever the state), then the checks: the
    // source is closed (state 3), every global block and heap block it made
    // was freed or handed over, no window of its own is left, and the
    // temporary folder is empty. The application removes the files it was
    // given; `receivedDefaultFile`: a file transfer may have used the
    // default name, in the temporary folder.
    void EndInput(bool receivedDefaultFile = false);

private:
    FuzzHost();
    void Load();

    std::string folder_;
    HMODULE ds_ = nullptr;
    HMODULE scanModule_ = nullptr;
    DSENTRYPROC entry_ = nullptr;
    ReadytoScanProc readytoScan_ = nullptr;
    ReadytoCloseSMProc readytoCloseSM_ = nullptr;
    FuzzSM_StartProc startScanModule_ = nullptr;
    FuzzSM_WindowProc scanModuleWindow_ = nullptr;
    TW_IDENTITY app_{};
    TW_IDENTITY identity_{};
    std::vector<HGLOBAL> owned_;
    long handlesAtStart_ = 0;
    long heapBlocksAtStart_ = 0;
    long windowsAtStart_ = 0;
};

// Checks that a container the source handed to the application is whole:
// its block as large as its ConType and counts say, its indexes in range.
void CheckAnsweredContainer(const TW_CAPABILITY &cap);

#endif
