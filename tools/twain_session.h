// One application's session with the Source Manager and one data source:
// every triplet qrscan sends goes through SourceCall or the manager's call,
// which keep the return code and, for a failure, the condition code fetched
// with DAT_STATUS.
#ifndef QR_TWAIN_SESSION_H
#define QR_TWAIN_SESSION_H

#include <functional>
#include <string>

#include "twain.h"
#include "win32.h"

struct TwainError {
    std::string step;  // "opening the data source"
    TW_UINT16 rc;
    TW_UINT16 cc;
    bool hasCC;
};

struct TwainSession {
    HMODULE dsmLibrary = nullptr;
    DSMENTRYPROC dsmEntry = nullptr;
    HWND window = nullptr;
    TW_IDENTITY app{};
    TW_IDENTITY source{};
    bool managerOpen = false;
    bool sourceOpen = false;
    bool enabled = false;
    bool imagePending = false;  // state 6 or 7: an image must be ended or dropped
    bool verbose = false;
    bool tracing = false;  // every triplet is shown with its result
    TwainError lastError{};
    // Steps in verbose mode, and the trace.
    std::function<void(const std::string &)> trace;
};

// Loads TWAIN_32.DLL from the Windows directory; FALSE with lastError.step set.
bool LoadManager(TwainSession *s);
// The hidden window whose handle the manager is opened with.
bool CreateSessionWindow(TwainSession *s);
TW_UINT16 OpenManager(TwainSession *s);

// Walks the sources (MSG_GETFIRST, MSG_GETNEXT). The visitor returns FALSE to
// stop. Returns TWRC_SUCCESS after a complete walk, or the failure.
TW_UINT16 ForEachSource(TwainSession *s, const std::function<bool(const TW_IDENTITY &)> &visit);
// The source named `name` (ProductName), or the first when `name` is empty,
// into s->source; TWRC_FAILURE with TWCC_NODS when there is none.
TW_UINT16 SelectSource(TwainSession *s, const std::string &name);

TW_UINT16 OpenSource(TwainSession *s);
TW_UINT16 EnableSource(TwainSession *s, bool showUI);

// Any triplet to the open source; `step` names it in an error report.
TW_UINT16 SourceCall(TwainSession *s, const char *step, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                     TW_MEMREF data);

// Runs the message loop, offering every message to the source, until it
// sends a message (MSG_XFERREADY, MSG_CLOSEDSREQ); MSG_NULL on timeout, or
// as soon as `stop` returns true.
TW_UINT16 WaitForSourceMessage(TwainSession *s, int timeoutSeconds, const std::function<bool()> &stop);

TW_UINT16 GetImageInfo(TwainSession *s, TW_IMAGEINFO *info);
// MSG_ENDXFER: the image is done with; *count is what the source has left.
TW_UINT16 EndTransfer(TwainSession *s, TW_UINT16 *count);
// Drops the images still pending (MSG_RESET), which ends state 6.
TW_UINT16 ResetTransfers(TwainSession *s);

// Steps back down from wherever the session got: drop a pending image,
// disable, close the source, close the manager, destroy the window, unload
// the manager. FALSE when a step failed (lastError tells which).
bool EndSession(TwainSession *s);

#endif
