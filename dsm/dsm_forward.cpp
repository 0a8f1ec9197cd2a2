// Triplets an application sends to one of its open sources: forwarded to the
// source's DS_Entry, except the callback registration, which the manager
// keeps, and the DAT_STATUS the log already asked for (see dsm_log.cpp).
#include <stdio.h>

#include "dsm_internal.h"
#include "dsm_log.h"
#include "twain_names.h"

namespace {

TW_UINT16 RegisterCallback(TW_UINT32 sourceId, TW_UINT32 appId, TW_UINT16 msg, TW_MEMREF data) {
    if (msg != MSG_REGISTER_CALLBACK) return DsmFail(appId, TWCC_BADPROTOCOL);
    pTW_CALLBACK callback = (pTW_CALLBACK)data;
    if (!callback || !callback->CallBackProc) return DsmFail(appId, TWCC_BADVALUE);
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmOpenSource &source : gDsmSources) {
        if (source.id != sourceId) continue;
        source.callback = *callback;
        source.hasCallback = true;
    }
    return TWRC_SUCCESS;
}

// Takes the condition code the log kept for this source, if any; every
// forwarded triplet drops it.
bool TakeKeptStatus(TW_UINT32 sourceId, TW_UINT16 *code) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmOpenSource &source : gDsmSources) {
        if (source.id != sourceId) continue;
        bool had = source.hasKeptStatus;
        *code = source.keptStatus;
        source.hasKeptStatus = false;
        return had;
    }
    return false;
}

void KeepStatus(TW_UINT32 sourceId, TW_UINT16 code) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmOpenSource &source : gDsmSources) {
        if (source.id != sourceId) continue;
        source.hasKeptStatus = true;
        source.keptStatus = code;
    }
}

bool FetchCondition(const DsmOpenSource &source, pTW_IDENTITY app, TW_UINT16 *code) {
    TW_STATUS status{};
    if (source.entry(app, DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS) return false;
    *code = status.ConditionCode;
    return true;
}

bool IsStatusRequest(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) {
    return dg == DG_CONTROL && dat == DAT_STATUS && msg == MSG_GET;
}

void LogForward(pTW_IDENTITY app, TW_UINT32 sourceId, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc,
                bool hasCondition, TW_UINT16 condition, const char *note) {
    DsmLogWrite({"app", app->Id, "ds", sourceId, dg, dat, msg, rc, hasCondition, condition, note});
}

// The message a MSG_PROCESSEVENT handed to the application, for the log.
const char *EventNote(TW_UINT16 dat, TW_UINT16 msg, TW_UINT16 rc, TW_MEMREF data) {
    if (dat != DAT_EVENT || msg != MSG_PROCESSEVENT || rc != TWRC_DSEVENT || !data) return nullptr;
    TW_UINT16 message = ((pTW_EVENT)data)->TWMessage;
    if (message == MSG_NULL) return nullptr;
    static thread_local char note[48];
    snprintf(note, sizeof note, "(TWMessage %s)", TwainMSGName(message));
    return note;
}

}  // namespace

TW_UINT16 DsmForward(pTW_IDENTITY app, pTW_IDENTITY dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    DsmOpenSource source;
    if (!DsmFindSource(dest->Id, &source) || source.appId != app->Id) {
        TW_UINT16 rc = DsmFail(app->Id, TWCC_BADDEST);
        LogForward(app, dest->Id, dg, dat, msg, rc, true, TWCC_BADDEST, "(no such open source)");
        return rc;
    }
    if (dg == DG_CONTROL && dat == DAT_CALLBACK) {
        TW_UINT16 rc = RegisterCallback(source.id, app->Id, msg, data);
        LogForward(app, source.id, dg, dat, msg, rc, false, 0, nullptr);
        return rc;
    }
    TW_UINT16 kept;
    if (TakeKeptStatus(source.id, &kept) && IsStatusRequest(dg, dat, msg) && data) {
        pTW_STATUS status = (pTW_STATUS)data;
        status->ConditionCode = kept;
        status->Reserved = 0;
        LogForward(app, source.id, dg, dat, msg, TWRC_SUCCESS, false, 0, "(answered from the logged failure)");
        return TWRC_SUCCESS;
    }

    TW_UINT16 rc = source.entry(app, dg, dat, msg, data);
    if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT)
        rc = DsmDeliverQueued(app->Id, source.id, rc, (pTW_EVENT)data);

    TW_UINT16 condition = 0;
    bool hasCondition = false;
    if (rc == TWRC_FAILURE && DsmLogEnabled() && !IsStatusRequest(dg, dat, msg)) {
        hasCondition = FetchCondition(source, app, &condition);
        if (hasCondition) KeepStatus(source.id, condition);
    }
    LogForward(app, source.id, dg, dat, msg, rc, hasCondition, condition, EventNote(dat, msg, rc, data));
    return rc;
}
