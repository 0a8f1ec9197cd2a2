// The stand-in Source Manager's records: applications that opened it, the
// sources they have open, and the messages sources send them.
//
// Every table is touched only under gDsmLock and only for as long as a lookup
// or an update takes: calls out to a source or to an application's callback
// are made on copies, with the lock released, because such a call may come
// straight back into DSM_Entry.
#ifndef QR_DSM_INTERNAL_H
#define QR_DSM_INTERNAL_H

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "twain.h"
#include "win32.h"

// A source found in the sources folder.
struct DsmSourceFile {
    std::string path;
    TW_IDENTITY identity;  // as the source reports it, Id 0
};

// A message from a source waiting for its application's MSG_PROCESSEVENT.
struct DsmQueuedMessage {
    TW_UINT32 sourceId;
    TW_UINT16 msg;
};

struct DsmApp {
    TW_UINT32 id;
    TW_IDENTITY identity;  // copy taken at MSG_OPENDSM, with the Id given
    HWND window;
    DWORD thread;  // where the event message goes when there is no window
    TW_UINT16 conditionCode;
    std::vector<DsmSourceFile> sourceList;  // from the last MSG_GETFIRST
    size_t nextSource;
    std::deque<DsmQueuedMessage> queue;
};

struct DsmOpenSource {
    TW_UINT32 id;
    TW_UINT32 appId;
    HMODULE module;
    DSENTRYPROC entry;
    TW_IDENTITY identity;
    bool hasCallback;
    TW_CALLBACK callback;
    // A condition code the log fetched from the source for a failure, kept
    // for the application's next DAT_STATUS (see dsm_log.cpp).
    bool hasKeptStatus;
    TW_UINT16 keptStatus;
};

// An export of a loaded module as the function type it is known to have.
template <class Proc>
Proc DsmBind(HMODULE module, const char *name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

extern std::mutex gDsmLock;
extern std::vector<DsmApp> gDsmApps;
extern std::vector<DsmOpenSource> gDsmSources;
extern TW_UINT32 gDsmNextId;
// Condition code for calls from an application that never opened the manager.
extern TW_UINT16 gDsmOrphanCondition;

// Unloading a source. Inside a nested call the source's code may still be
// on the stack (a callback that closes the source that is sending to it), so
// the unload waits for the outermost call from an application.
void DsmUnloadSource(HMODULE module);
void DsmFlushUnloads();
// DSM_Entry calls in progress on this thread.
struct DsmNesting {
    DsmNesting();
    ~DsmNesting();
    bool Outermost() const;
};

// Lookups copy the record out; updates find it again by Id.
bool DsmFindApp(TW_UINT32 appId, DsmApp *copy);
bool DsmFindSource(TW_UINT32 sourceId, DsmOpenSource *copy);
void DsmSetCondition(TW_UINT32 appId, TW_UINT16 cc);
TW_UINT16 DsmFail(TW_UINT32 appId, TW_UINT16 cc);
TW_UINT32 DsmTakeId();
bool DsmAppHasSources(TW_UINT32 appId);

// The triplets the manager answers itself (destination NULL).
TW_UINT16 DsmParent(pTW_IDENTITY app, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 DsmIdentity(pTW_IDENTITY app, TW_UINT16 msg, pTW_IDENTITY data);
TW_UINT16 DsmStatus(pTW_IDENTITY app, TW_UINT16 msg, pTW_STATUS data);
// The manager's one entry point.
QR_EXPORT TW_UINT16 TW_CALLINGSTYLE DSM_Entry(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                              TW_UINT16 MSG, TW_MEMREF pData);
// DAT_ENTRYPOINT for an application (MSG_GET), and the record a DF_DS2
// source is given before it opens.
TW_UINT16 DsmEntryPoint(pTW_IDENTITY app, TW_UINT16 msg, pTW_ENTRYPOINT data);
void DsmFillEntryPoint(TW_ENTRYPOINT *entryPoint);

// Source discovery.
std::vector<DsmSourceFile> DsmDiscoverSources(pTW_IDENTITY app);
std::vector<std::string> DsmSourcesFolders();

// Triplets for an open source, and messages from sources.
TW_UINT16 DsmForward(pTW_IDENTITY app, pTW_IDENTITY dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 DsmSourceMessage(pTW_IDENTITY source, pTW_IDENTITY app, TW_UINT16 msg, const char **note);
// After a forwarded MSG_PROCESSEVENT: hands a queued message to the app.
TW_UINT16 DsmDeliverQueued(TW_UINT32 appId, TW_UINT32 sourceId, TW_UINT16 rc, pTW_EVENT event);
void DsmDropMessagesOf(TW_UINT32 sourceId);
UINT DsmEventMessage();

#endif
