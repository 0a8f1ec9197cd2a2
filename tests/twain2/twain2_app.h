// A TWAIN 2 application, as imaging programs written for the Working Group's
// Source Manager drive a source: it says DF_APP2, takes the manager's memory
// functions (DAT_ENTRYPOINT) for every handle that crosses to the source,
// and registers a callback for the source's messages. On Linux it offers no
// events and runs no message loop at all; on Windows it still offers every
// message of its loop to the source (MSG_PROCESSEVENT), as TWAIN 2 asks
// there.
#ifndef QR_TESTS_TWAIN2_TWAIN2_APP_H
#define QR_TESTS_TWAIN2_TWAIN2_APP_H

#include "twain.h"
#include "win32.h"

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

class Twain2App {
public:
    explicit Twain2App(const std::string &managerPath);
    ~Twain2App();
    Twain2App(const Twain2App &) = delete;
    Twain2App &operator=(const Twain2App &) = delete;

    // Loads the manager, MSG_OPENDSM, then DAT_ENTRYPOINT MSG_GET.
    bool OpenManager();
    void CloseManager();
    const TW_IDENTITY &Identity() const { return app_; }
    const TW_ENTRYPOINT &EntryPoint() const { return entryPoint_; }

    std::vector<TW_IDENTITY> Sources();
    // MSG_OPENDS by product name, then the callback's registration.
    TW_UINT16 OpenSource(const char *productName);
    TW_UINT16 CloseSource();
    const TW_IDENTITY &Source() const { return source_; }

    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 ConditionCode();
    TW_UINT16 Enable(bool showUI);
    TW_UINT16 Disable();
    TW_UINT16 EndXfer(TW_UINT16 *remaining);

    // The next message the source sent through the callback, MSG_NULL when
    // none came in time. Windows: the loop runs meanwhile, offering every
    // message to the source.
    TW_UINT16 WaitForSourceMessage(DWORD timeoutMs);
    // Messages the callback received so far.
    static int CallbackMessages();

    // Handles in the manager's memory.
    TW_HANDLE Alloc(TW_UINT32 bytes);
    void *Lock(TW_HANDLE handle);
    void Unlock(TW_HANDLE handle);
    void Free(TW_HANDLE handle);

    // A capability's answer: the container's bytes, as far as its head says
    // it goes, and the block freed with DSM_MemFree as its owner must.
    TW_UINT16 GetCap(TW_UINT16 cap, TW_UINT16 msg, TW_UINT16 *conType, std::vector<uint8_t> *bytes);
    TW_UINT16 SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item);

private:
    std::string managerPath_;
    HMODULE manager_ = nullptr;
    DSMENTRYPROC entry_ = nullptr;
    HWND window_ = nullptr;
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    TW_IDENTITY app_{};
    TW_IDENTITY source_{};
    TW_ENTRYPOINT entryPoint_{};
};

// Bytes of one item of a container; 0 for an unknown type.
size_t ItemBytes(TW_UINT16 itemType);
// Bytes of a container as its head describes it; 0 when it is no container.
size_t ContainerBytes(TW_UINT16 conType, const uint8_t *head);
// Bytes of a packed DIB as its header describes it.
size_t DibBytes(const uint8_t *dib);

#endif
