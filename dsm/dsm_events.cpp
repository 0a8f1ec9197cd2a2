// Messages from a source to its application. With a callback registered
// (DAT_CALLBACK) the manager calls it at once; otherwise it queues the
// message for the application and posts it the registered window message
// "QR TWAIN EVENT", and the application's next MSG_PROCESSEVENT to that
// source hands the message over in TWMessage.
#include "dsm_internal.h"

namespace {

bool IsSourceMessage(TW_UINT16 msg) {
    return msg == MSG_XFERREADY || msg == MSG_CLOSEDSREQ || msg == MSG_CLOSEDSOK || msg == MSG_DEVICEEVENT;
}

void Enqueue(TW_UINT32 appId, TW_UINT32 sourceId, TW_UINT16 msg) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmApp &app : gDsmApps) {
        if (app.id == appId) app.queue.push_back({sourceId, msg});
    }
}

bool TakeQueued(TW_UINT32 appId, TW_UINT32 sourceId, TW_UINT16 *msg) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmApp &app : gDsmApps) {
        if (app.id != appId) continue;
        for (size_t i = 0; i < app.queue.size(); ++i) {
            if (app.queue[i].sourceId != sourceId) continue;
            *msg = app.queue[i].msg;
            app.queue.erase(app.queue.begin() + i);
            return true;
        }
    }
    return false;
}

void PostEvent(const DsmApp &app) {
    if (app.window)
        PostMessageA(app.window, DsmEventMessage(), 0, 0);
    else
        PostThreadMessageA(app.thread, DsmEventMessage(), 0, 0);
}

bool IsOurEvent(pTW_EVENT event) {
    const MSG *message = event ? (const MSG *)event->pEvent : nullptr;
    return message && message->message == DsmEventMessage();
}

}  // namespace

UINT DsmEventMessage() {
    static UINT message = RegisterWindowMessageA("QR TWAIN EVENT");
    return message;
}

TW_UINT16 DsmSourceMessage(pTW_IDENTITY origin, pTW_IDENTITY dest, TW_UINT16 msg, const char **note) {
    DsmOpenSource source;
    DsmApp app;
    if (!DsmFindSource(origin->Id, &source)) return TWRC_FAILURE;
    if (!dest || dest->Id != source.appId || !DsmFindApp(source.appId, &app)) {
        *note = "(not the application that opened this source)";
        return DsmFail(source.appId, TWCC_BADDEST);
    }
    if (!IsSourceMessage(msg)) return DsmFail(app.id, TWCC_BADPROTOCOL);
    if (source.hasCallback) {
        *note = "(callback)";
        DSMENTRYPROC callback = (DSMENTRYPROC)source.callback.CallBackProc;
        TW_IDENTITY appIdentity = app.identity;
        callback(origin, &appIdentity, DG_CONTROL, DAT_NULL, msg, nullptr);
        return TWRC_SUCCESS;
    }
    *note = "(queued)";
    Enqueue(app.id, source.id, msg);
    PostEvent(app);
    return TWRC_SUCCESS;
}

TW_UINT16 DsmDeliverQueued(TW_UINT32 appId, TW_UINT32 sourceId, TW_UINT16 rc, pTW_EVENT event) {
    if (!event || rc == TWRC_FAILURE) return rc;
    if (rc == TWRC_DSEVENT && event->TWMessage != MSG_NULL) return rc;  // the source's own message
    // A message the source did not claim goes back to the application for
    // dispatch, unless it is the manager's own event message: a queued
    // message may only ride on an event the application will not dispatch.
    bool consumed = rc == TWRC_DSEVENT && event->TWMessage == MSG_NULL;
    if (!consumed && !IsOurEvent(event)) return rc;
    TW_UINT16 msg;
    if (TakeQueued(appId, sourceId, &msg)) {
        event->TWMessage = msg;
        return TWRC_DSEVENT;
    }
    if (IsOurEvent(event)) {
        event->TWMessage = MSG_NULL;
        return TWRC_DSEVENT;
    }
    return rc;
}

void DsmDropMessagesOf(TW_UINT32 sourceId) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmApp &app : gDsmApps) {
        for (size_t i = app.queue.size(); i-- > 0;) {
            if (app.queue[i].sourceId == sourceId) app.queue.erase(app.queue.begin() + i);
        }
    }
}
