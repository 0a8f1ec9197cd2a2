// One application's session with the Source Manager and one data source:
// every triplet qrscan sends goes through SourceCall or the manager's call,
// which keep the return code and, for a failure, the condition code fetched
// with DAT_STATUS.
//
// qrscan is a TWAIN 2 application (DF_APP2). With a TWAIN 2 Source Manager
// it takes the manager's memory functions (DAT_ENTRYPOINT) for every handle
// that crosses to the source, and hears of the source's messages through a
// registered callback; on Linux it then offers no events (MSG_PROCESSEVENT),
// as Linux applications do not. With a TWAIN 1.x manager handles are global
// memory and messages come with the events it offers.
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
    std::string dsmPath;         // the Source Manager's file
    TW_ENTRYPOINT entryPoint{};  // from a TWAIN 2 manager; Size 0 otherwise
    bool callbacks = false;      // the source's messages come by callback
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

// The Source Manager qrscan loads: $QR_TWAIN_DSM when set and not empty; on
// Linux the TWAIN Working Group's /usr/local/lib/libtwaindsm.so when it is
// installed (where Linux applications find it); else TWAIN_32.DLL of the
// Windows directory (on Linux our stand-in, beside libqrplatform.so or in
// $WINDIR).
std::string ManagerPath(std::string *why);
// Loads it (on Windows, when $QR_TWAIN_DSM chose none and the Windows
// directory has none, TWAIN_32.DLL wherever the system finds it); FALSE with
// lastError.step set.
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
TW_UINT16 SourceCall(TwainSession *s, const char *step, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

// Runs the message loop, offering every message to the source, until it
// sends a message (MSG_XFERREADY, MSG_CLOSEDSREQ); MSG_NULL on timeout, or
// as soon as `stop` returns true.
TW_UINT16 WaitForSourceMessage(TwainSession *s, int timeoutSeconds, const std::function<bool()> &stop);

// Memory for handles that cross to the source, in the manager's convention:
// its DSM_Mem functions when it gave them, else global memory. Allocated
// zero-filled. LockHandle gives the size when it can be known, else
// kUnknownSize (a Linux pointer: the record's own sizes are all there is).
const size_t kUnknownSize = (size_t)-1;
TW_HANDLE AllocHandle(TwainSession *s, size_t bytes);
void *LockHandle(TwainSession *s, TW_HANDLE handle, size_t *size);
void UnlockHandle(TwainSession *s, TW_HANDLE handle);
void FreeHandle(TwainSession *s, TW_HANDLE handle);

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
