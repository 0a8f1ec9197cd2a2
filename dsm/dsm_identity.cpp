// DAT_IDENTITY for the manager: listing sources, and opening and closing
// one for an application.
#include <string.h>

#include "dsm_internal.h"

namespace {

TW_UINT16 GetFirst(pTW_IDENTITY app, pTW_IDENTITY data) {
    std::vector<DsmSourceFile> list = DsmDiscoverSources(app);
    if (list.empty()) return DsmFail(app->Id, TWCC_NODS);
    *data = list[0].identity;
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmApp &record : gDsmApps) {
        if (record.id != app->Id) continue;
        record.sourceList = list;
        record.nextSource = 1;
    }
    return TWRC_SUCCESS;
}

TW_UINT16 GetNext(pTW_IDENTITY app, pTW_IDENTITY data) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmApp &record : gDsmApps) {
        if (record.id != app->Id) continue;
        if (record.nextSource >= record.sourceList.size()) return TWRC_ENDOFLIST;
        *data = record.sourceList[record.nextSource++].identity;
        return TWRC_SUCCESS;
    }
    return TWRC_ENDOFLIST;
}

// With no user to ask, the default source is the first one found.
TW_UINT16 GetDefault(pTW_IDENTITY app, pTW_IDENTITY data) {
    std::vector<DsmSourceFile> list = DsmDiscoverSources(app);
    if (list.empty()) return DsmFail(app->Id, TWCC_NODS);
    *data = list[0].identity;
    return TWRC_SUCCESS;
}

bool ChooseSource(pTW_IDENTITY app, const TW_IDENTITY &wanted, DsmSourceFile *chosen) {
    std::vector<DsmSourceFile> list = DsmDiscoverSources(app);
    char name[sizeof wanted.ProductName];
    memcpy(name, wanted.ProductName, sizeof name);
    name[sizeof name - 1] = '\0';
    for (const DsmSourceFile &source : list) {
        if (name[0] == '\0' || strcmp(source.identity.ProductName, name) == 0) {
            *chosen = source;
            return true;
        }
    }
    return false;
}

void ForgetSource(TW_UINT32 sourceId) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (size_t i = 0; i < gDsmSources.size(); ++i) {
        if (gDsmSources[i].id == sourceId) {
            gDsmSources.erase(gDsmSources.begin() + i);
            return;
        }
    }
}

// The condition code of a source that refused to open, for the manager's
// DAT_STATUS; the source is unloaded right after, so reading it costs nothing.
TW_UINT16 RefusalCondition(DSENTRYPROC entry, pTW_IDENTITY app) {
    TW_STATUS status{};
    if (entry(app, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS && status.ConditionCode != 0)
        return status.ConditionCode;
    return TWCC_OPERATIONERROR;
}

TW_UINT16 OpenSource(pTW_IDENTITY app, pTW_IDENTITY data) {
    DsmSourceFile file;
    if (!ChooseSource(app, *data, &file)) return DsmFail(app->Id, TWCC_NODS);
    HMODULE module = LoadLibraryA(file.path.c_str());
    if (!module) return DsmFail(app->Id, TWCC_NODS);
    DSENTRYPROC entry = DsmBind<DSENTRYPROC>(module, "DS_Entry");
    if (!entry) {
        FreeLibrary(module);
        return DsmFail(app->Id, TWCC_NODS);
    }
    DsmOpenSource source{};
    source.id = DsmTakeId();
    source.appId = app->Id;
    source.module = module;
    source.entry = entry;
    source.identity = file.identity;
    source.identity.Id = source.id;
    *data = source.identity;
    {
        // Recorded before the call, so that the source can already send.
        std::lock_guard<std::mutex> hold(gDsmLock);
        gDsmSources.push_back(source);
    }
    TW_UINT16 rc = TWRC_SUCCESS;
    TW_UINT16 cc = TWCC_OPERATIONERROR;
    if (source.identity.SupportedGroups & DF_DS2) {
        // A TWAIN 2 source gets the manager's entry point first; one that
        // refuses it is not opened.
        TW_ENTRYPOINT entryPoint;
        DsmFillEntryPoint(&entryPoint);
        rc = entry(app, DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &entryPoint);
    }
    if (rc == TWRC_SUCCESS) {
        rc = entry(app, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, data);
        if (rc == TWRC_SUCCESS) return rc;
        cc = RefusalCondition(entry, app);
    }
    ForgetSource(source.id);
    DsmDropMessagesOf(source.id);
    DsmUnloadSource(module);
    return DsmFail(app->Id, cc);
}

TW_UINT16 CloseSource(pTW_IDENTITY app, pTW_IDENTITY data) {
    DsmOpenSource source;
    if (!DsmFindSource(data->Id, &source) || source.appId != app->Id) return DsmFail(app->Id, TWCC_BADDEST);
    TW_UINT16 rc = source.entry(app, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, data);
    if (rc != TWRC_SUCCESS) {
        // The source stays open and loaded; its condition code is its own.
        DsmSetCondition(app->Id, TWCC_SUCCESS);
        return rc;
    }
    ForgetSource(source.id);
    DsmDropMessagesOf(source.id);
    DsmUnloadSource(source.module);
    return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 DsmIdentity(pTW_IDENTITY app, TW_UINT16 msg, pTW_IDENTITY data) {
    if (!DsmFindApp(app->Id, nullptr)) return DsmFail(app->Id, TWCC_SEQERROR);
    if (!data) return DsmFail(app->Id, TWCC_BADVALUE);
    DsmSetCondition(app->Id, TWCC_SUCCESS);
    switch (msg) {
    case MSG_GETFIRST:
        return GetFirst(app, data);
    case MSG_GETNEXT:
        return GetNext(app, data);
    case MSG_GETDEFAULT:
    case MSG_USERSELECT:
        return GetDefault(app, data);
    case MSG_OPENDS:
        return OpenSource(app, data);
    case MSG_CLOSEDS:
        return CloseSource(app, data);
    default:
        return DsmFail(app->Id, TWCC_BADPROTOCOL);
    }
}
