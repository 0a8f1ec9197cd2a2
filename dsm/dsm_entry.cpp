// DSM_Entry: every triplet of every application and source comes through
// here. Three kinds: a source's message to its application (DG_CONTROL /
// DAT_NULL from an open source), a triplet for the manager itself
// (destination NULL), and a triplet for an open source, which is forwarded.
#include "dsm_internal.h"
#include "dsm_log.h"

namespace {

bool IsFromOpenSource(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat) {
    return dg == DG_CONTROL && dat == DAT_NULL && DsmFindSource(origin->Id, nullptr);
}

TW_UINT16 ManagerTriplet(pTW_IDENTITY app, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (dg != DG_CONTROL) return DsmFail(app->Id, TWCC_BADPROTOCOL);
    switch (dat) {
    case DAT_PARENT:
        return DsmParent(app, msg, data);
    case DAT_IDENTITY:
        return DsmIdentity(app, msg, (pTW_IDENTITY)data);
    case DAT_STATUS:
        return DsmStatus(app, msg, (pTW_STATUS)data);
    case DAT_ENTRYPOINT:
        return DsmEntryPoint(app, msg, (pTW_ENTRYPOINT)data);
    default:
        return DsmFail(app->Id, TWCC_BADPROTOCOL);
    }
}

// The manager's own condition code after one of its own triplets.
TW_UINT16 ManagerCondition(TW_UINT32 appId) {
    DsmApp app;
    if (DsmFindApp(appId, &app)) return app.conditionCode;
    std::lock_guard<std::mutex> hold(gDsmLock);
    return gDsmOrphanCondition;
}

TW_UINT16 SourceToApp(pTW_IDENTITY origin, pTW_IDENTITY dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) {
    const char *note = nullptr;
    TW_UINT16 rc = DsmSourceMessage(origin, dest, msg, &note);
    DsmLogWrite({"ds", origin->Id, "app", dest ? dest->Id : 0, dg, dat, msg, rc, false, 0, note});
    return rc;
}

TW_UINT16 AppToManager(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (dg == DG_CONTROL && dat == DAT_PARENT && msg == MSG_OPENDSM) DsmLogConfigure();
    TW_UINT32 appId = origin->Id;  // before MSG_OPENDSM gives it one
    TW_UINT16 rc = ManagerTriplet(origin, dg, dat, msg, data);
    bool failed = rc == TWRC_FAILURE;
    DsmLogWrite({"app", origin->Id ? origin->Id : appId, "DSM", 0, dg, dat, msg, rc, failed,
                 failed ? ManagerCondition(origin->Id) : (TW_UINT16)0, nullptr});
    return rc;
}

}  // namespace

QR_EXPORT TW_UINT16 TW_CALLINGSTYLE DSM_Entry(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                              TW_UINT16 MSG, TW_MEMREF pData) {
    DsmLogDepth depth;
    DsmNesting nesting;
    if (!pOrigin) {
        DsmSetCondition(0, TWCC_BADVALUE);
        return TWRC_FAILURE;
    }
    // A source's own call: its code is below us, so nothing is unloaded here.
    if (IsFromOpenSource(pOrigin, DG, DAT)) return SourceToApp(pOrigin, pDest, DG, DAT, MSG);
    if (nesting.Outermost()) DsmFlushUnloads();
    // DAT_ENTRYPOINT is the manager's own, whatever the destination.
    bool forSource = pDest && !(DG == DG_CONTROL && DAT == DAT_ENTRYPOINT);
    TW_UINT16 rc =
        forSource ? DsmForward(pOrigin, pDest, DG, DAT, MSG, pData) : AppToManager(pOrigin, DG, DAT, MSG, pData);
    if (nesting.Outermost()) DsmFlushUnloads();
    return rc;
}
