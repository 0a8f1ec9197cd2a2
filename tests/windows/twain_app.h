// A small TWAIN application, as an imaging program drives a source: through
// the system's Source Manager (twain_32.dll), with a parent window and a
// message loop that offers every message to the source while it is enabled.
#ifndef QR_TESTS_WINDOWS_TWAIN_APP_H
#define QR_TESTS_WINDOWS_TWAIN_APP_H

#include "twain.h"
#include "win32.h"

#include <string>
#include <vector>

class TwainApp {
public:
    TwainApp();
    ~TwainApp();
    TwainApp(const TwainApp &) = delete;
    TwainApp &operator=(const TwainApp &) = delete;

    // Loads twain_32.dll and opens the Source Manager with the parent window.
    bool OpenManager();
    void CloseManager();

    // The identities MSG_GETFIRST/MSG_GETNEXT list.
    std::vector<TW_IDENTITY> Sources();
    TW_UINT16 OpenSource(const char *productName);
    TW_UINT16 CloseSource();

    // A triplet for the open source (or for the Source Manager with null).
    TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 CallManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    // DAT_STATUS of the source: the condition code of its last failure.
    TW_UINT16 ConditionCode();

    TW_UINT16 Enable(bool showUI);
    TW_UINT16 Disable();

    // Runs the message loop, offering each message to the source, until the
    // source sends a message (MSG_XFERREADY, MSG_CLOSEDSREQ) or the time is
    // up (MSG_NULL). Messages the source does not take are dispatched.
    TW_UINT16 WaitForSourceMessage(DWORD timeoutMs);
    // Offers what is queued now to the source; returns its message or MSG_NULL.
    TW_UINT16 PumpOnce();

    // Capabilities with one value.
    TW_UINT16 SetOneValue(TW_UINT16 cap, TW_UINT16 type, TW_UINT32 value);
    TW_UINT16 GetCurrent(TW_UINT16 cap, TW_UINT16 *type, TW_UINT32 *value);

    TW_UINT16 EndXfer(TW_UINT16 *remaining);

    HWND Window() const { return window_; }
    const TW_IDENTITY &Source() const { return source_; }

private:
    HMODULE manager_ = nullptr;
    DSMENTRYPROC entry_ = nullptr;
    HWND window_ = nullptr;
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    TW_IDENTITY app_;
    TW_IDENTITY source_;
};

// A container of one value, owned by the caller; null when out of memory.
TW_HANDLE MakeOneValue(TW_UINT16 type, TW_UINT32 value);

#endif
