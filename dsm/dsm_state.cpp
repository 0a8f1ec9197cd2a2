#include "dsm_internal.h"

std::mutex gDsmLock;
std::vector<DsmApp> gDsmApps;
std::vector<DsmOpenSource> gDsmSources;
TW_UINT32 gDsmNextId = 1;
TW_UINT16 gDsmOrphanCondition = TWCC_SUCCESS;

namespace {
std::vector<HMODULE> gDeferredUnloads;  // under gDsmLock
thread_local int gNesting = 0;
}  // namespace

DsmNesting::DsmNesting() { ++gNesting; }
DsmNesting::~DsmNesting() { --gNesting; }
bool DsmNesting::Outermost() const { return gNesting == 1; }

void DsmUnloadSource(HMODULE module) {
    if (gNesting <= 1) {
        FreeLibrary(module);
        return;
    }
    std::lock_guard<std::mutex> hold(gDsmLock);
    gDeferredUnloads.push_back(module);
}

void DsmFlushUnloads() {
    std::vector<HMODULE> modules;
    {
        std::lock_guard<std::mutex> hold(gDsmLock);
        modules.swap(gDeferredUnloads);
    }
    for (HMODULE module : modules) FreeLibrary(module);
}

bool DsmFindApp(TW_UINT32 appId, DsmApp *copy) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (const DsmApp &app : gDsmApps) {
        if (app.id == appId && appId != 0) {
            if (copy) *copy = app;
            return true;
        }
    }
    return false;
}

bool DsmFindSource(TW_UINT32 sourceId, DsmOpenSource *copy) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (const DsmOpenSource &source : gDsmSources) {
        if (source.id == sourceId && sourceId != 0) {
            if (copy) *copy = source;
            return true;
        }
    }
    return false;
}

void DsmSetCondition(TW_UINT32 appId, TW_UINT16 cc) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (DsmApp &app : gDsmApps) {
        if (app.id == appId && appId != 0) {
            app.conditionCode = cc;
            return;
        }
    }
    gDsmOrphanCondition = cc;
}

TW_UINT16 DsmFail(TW_UINT32 appId, TW_UINT16 cc) {
    DsmSetCondition(appId, cc);
    return TWRC_FAILURE;
}

TW_UINT32 DsmTakeId() {
    std::lock_guard<std::mutex> hold(gDsmLock);
    TW_UINT32 id = gDsmNextId++;
    if (gDsmNextId == 0) gDsmNextId = 1;
    return id;
}

bool DsmAppHasSources(TW_UINT32 appId) {
    std::lock_guard<std::mutex> hold(gDsmLock);
    for (const DsmOpenSource &source : gDsmSources) {
        if (source.appId == appId) return true;
    }
    return false;
}
