// DAT_PARENT: an application opens and closes the manager. Opening gives the
// application its Id (written into its identity) and records the window
// that will receive the manager's event message.
#include "dsm_internal.h"

namespace {

TW_UINT16 OpenManager(pTW_IDENTITY app, TW_MEMREF data) {
    if (app->Id != 0 && DsmFindApp(app->Id, nullptr)) return DsmFail(app->Id, TWCC_SEQERROR);
    DsmApp record{};
    record.id = DsmTakeId();
    record.window = data ? *(HWND *)data : nullptr;
    record.thread = GetCurrentThreadId();
    record.conditionCode = TWCC_SUCCESS;
    record.nextSource = 0;
    app->Id = record.id;
    if (app->SupportedGroups & DF_APP2) app->SupportedGroups |= DF_DSM2;  // a TWAIN 2 manager
    record.identity = *app;
    std::lock_guard<std::mutex> hold(gDsmLock);
    gDsmApps.push_back(record);
    return TWRC_SUCCESS;
}

TW_UINT16 CloseManager(pTW_IDENTITY app) {
    if (!DsmFindApp(app->Id, nullptr)) return DsmFail(app->Id, TWCC_SEQERROR);
    // Sources still open would be left without anyone to close them.
    if (DsmAppHasSources(app->Id)) return DsmFail(app->Id, TWCC_SEQERROR);
    {
        std::lock_guard<std::mutex> hold(gDsmLock);
        for (size_t i = 0; i < gDsmApps.size(); ++i) {
            if (gDsmApps[i].id == app->Id) {
                gDsmApps.erase(gDsmApps.begin() + i);
                break;
            }
        }
    }
    app->Id = 0;
    return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 DsmParent(pTW_IDENTITY app, TW_UINT16 msg, TW_MEMREF data) {
    switch (msg) {
    case MSG_OPENDSM:
        return OpenManager(app, data);
    case MSG_CLOSEDSM:
        return CloseManager(app);
    default:
        return DsmFail(app->Id, TWCC_BADPROTOCOL);
    }
}

TW_UINT16 DsmStatus(pTW_IDENTITY app, TW_UINT16 msg, pTW_STATUS data) {
    if (msg != MSG_GET) return DsmFail(app->Id, TWCC_BADPROTOCOL);
    if (!data) return DsmFail(app->Id, TWCC_BADVALUE);
    std::lock_guard<std::mutex> hold(gDsmLock);
    TW_UINT16 *code = &gDsmOrphanCondition;
    for (DsmApp &record : gDsmApps) {
        if (record.id == app->Id && app->Id != 0) code = &record.conditionCode;
    }
    data->ConditionCode = *code;
    data->Reserved = 0;
    *code = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}
