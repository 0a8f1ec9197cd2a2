#include "twain_session.h"

#include <string.h>

#include "twain_names.h"

namespace {

const char kWindowClass[] = "QrScanSession";

void Trace(TwainSession *s, const std::string &text) {
    if (s->trace) s->trace(text);
}

std::string TripletText(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    std::string text = std::string(TwainDGName(dg)) + " " + TwainDATName(dat) + " " + TwainMSGName(msg);
    if (dat == DAT_CAPABILITY && data) text += std::string(" ") + TwainCapName(static_cast<pTW_CAPABILITY>(data)->Cap);
    return text;
}

// The condition code after a failure: from the source when the triplet
// went to it, else from the manager.
bool FetchCondition(TwainSession *s, pTW_IDENTITY dest, TW_UINT16 *cc) {
    TW_STATUS status{};
    TW_UINT16 rc = s->dsmEntry(&s->app, dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    if (rc != TWRC_SUCCESS) return false;
    *cc = status.ConditionCode;
    return true;
}

TW_UINT16 Call(TwainSession *s, const char *step, pTW_IDENTITY dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
               TW_MEMREF data) {
    TW_UINT16 rc = s->dsmEntry(&s->app, dest, dg, dat, msg, data);
    std::string condition;
    if (rc == TWRC_FAILURE) {
        s->lastError.step = step;
        s->lastError.rc = rc;
        s->lastError.hasCC = FetchCondition(s, dest, &s->lastError.cc);
        if (s->lastError.hasCC) condition = std::string(" (") + TwainCCName(s->lastError.cc) + ")";
    }
    if (s->tracing) Trace(s, TripletText(dg, dat, msg, data) + " -> " + TwainRCName(rc) + condition);
    return rc;
}

void SetNoSource(TwainSession *s, const std::string &step) {
    s->lastError.step = step;
    s->lastError.rc = TWRC_FAILURE;
    s->lastError.cc = TWCC_NODS;
    s->lastError.hasCC = true;
}

void AppIdentity(TW_IDENTITY *app) {
    memset(app, 0, sizeof *app);
    app->Version.MajorNum = 1;
    app->Version.MinorNum = 0;
    app->Version.Language = TWLG_USA;
    app->Version.Country = TWCY_USA;
    strcpy(app->Version.Info, "qrscan 1.0");
    app->ProtocolMajor = TWON_PROTOCOLMAJOR;
    app->ProtocolMinor = TWON_PROTOCOLMINOR;
    app->SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(app->Manufacturer, "QR Imaging");
    strcpy(app->ProductFamily, "QR Tools");
    strcpy(app->ProductName, "qrscan");
}

bool IsTimeUp(DWORD start, int timeoutSeconds) {
    return GetTickCount() - start >= (DWORD)timeoutSeconds * 1000u;
}

}  // namespace

bool LoadManager(TwainSession *s) {
    AppIdentity(&s->app);
    char folder[MAX_PATH];
    UINT folderLength = GetWindowsDirectoryA(folder, sizeof folder);
    std::string path;
    if (folderLength > 0 && folderLength < sizeof folder) path = std::string(folder) + QR_PATH_SEPARATOR;
    path += "TWAIN_32.DLL";
    s->dsmLibrary = LoadLibraryA(path.c_str());
#if defined(_WIN32)
    // Where the Windows directory holds no copy, the system's search path
    // may still find the manager (Wine keeps its own in system32).
    if (!s->dsmLibrary) s->dsmLibrary = LoadLibraryA("TWAIN_32.DLL");
#endif
    if (s->dsmLibrary)
        s->dsmEntry = reinterpret_cast<DSMENTRYPROC>(
            reinterpret_cast<void (*)(void)>(GetProcAddress(s->dsmLibrary, "DSM_Entry")));
    if (s->dsmEntry) {
        char loaded[MAX_PATH];
        DWORD length = GetModuleFileNameA(s->dsmLibrary, loaded, sizeof loaded);
        if (s->verbose) Trace(s, "loaded the Source Manager " + (length ? std::string(loaded, length) : path));
        return true;
    }
    s->lastError.step = "loading the Source Manager " + path;
    s->lastError.rc = TWRC_FAILURE;
    s->lastError.hasCC = false;
    if (s->dsmLibrary) FreeLibrary(s->dsmLibrary);
    s->dsmLibrary = nullptr;
    return false;
}

bool CreateSessionWindow(TwainSession *s) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    s->window = CreateWindowExA(0, kWindowClass, "qrscan", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr);
    return s->window != nullptr;
}

TW_UINT16 OpenManager(TwainSession *s) {
    TW_UINT16 rc = Call(s, "opening the Source Manager", nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &s->window);
    s->managerOpen = rc == TWRC_SUCCESS;
    return rc;
}

TW_UINT16 ForEachSource(TwainSession *s, const std::function<bool(const TW_IDENTITY &)> &visit) {
    TW_IDENTITY identity{};
    TW_UINT16 rc = Call(s, "listing the data sources", nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity);
    while (rc == TWRC_SUCCESS) {
        if (!visit(identity)) return TWRC_SUCCESS;
        memset(&identity, 0, sizeof identity);
        rc = Call(s, "listing the data sources", nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity);
    }
    return rc == TWRC_ENDOFLIST ? TWRC_SUCCESS : rc;
}

TW_UINT16 SelectSource(TwainSession *s, const std::string &name) {
    bool found = false;
    TW_UINT16 rc = ForEachSource(s, [&](const TW_IDENTITY &identity) {
        if (!name.empty() && name != identity.ProductName) return true;
        s->source = identity;
        found = true;
        return false;
    });
    if (found) return TWRC_SUCCESS;
    if (rc == TWRC_SUCCESS || s->lastError.cc == TWCC_NODS)
        SetNoSource(s, name.empty() ? "finding a data source" : "finding the data source \"" + name + "\"");
    return TWRC_FAILURE;
}

TW_UINT16 OpenSource(TwainSession *s) {
    TW_UINT16 rc = Call(s, "opening the data source", nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &s->source);
    s->sourceOpen = rc == TWRC_SUCCESS;
    return rc;
}

TW_UINT16 EnableSource(TwainSession *s, bool showUI) {
    TW_USERINTERFACE ui{};
    ui.ShowUI = showUI ? TRUE : FALSE;
    ui.ModalUI = FALSE;
    ui.hParent = s->window;
    TW_UINT16 rc = Call(s, "enabling the data source", &s->source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    // A source that fails to enable may still have left state 4 (it opened
    // a scan that failed); disabling it then is harmless.
    s->enabled = rc == TWRC_SUCCESS || rc == TWRC_CHECKSTATUS;
    return rc;
}

TW_UINT16 SourceCall(TwainSession *s, const char *step, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                     TW_MEMREF data) {
    return Call(s, step, &s->source, dg, dat, msg, data);
}

TW_UINT16 WaitForSourceMessage(TwainSession *s, int timeoutSeconds, const std::function<bool()> &stop) {
    DWORD start = GetTickCount();
    while (!IsTimeUp(start, timeoutSeconds) && !(stop && stop())) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        TW_EVENT event{};
        event.pEvent = &message;
        event.TWMessage = MSG_NULL;
        TW_UINT16 rc = s->dsmEntry(&s->app, &s->source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
        if (rc == TWRC_DSEVENT) {
            if (event.TWMessage != MSG_NULL) {
                // Only the events that carry a message are worth a line.
                if (s->tracing)
                    Trace(s, std::string("DG_CONTROL DAT_EVENT MSG_PROCESSEVENT -> TWRC_DSEVENT (") +
                                 TwainMSGName(event.TWMessage) + ")");
                return event.TWMessage;
            }
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return MSG_NULL;
}

TW_UINT16 GetImageInfo(TwainSession *s, TW_IMAGEINFO *info) {
    return Call(s, "reading the image information", &s->source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, info);
}

TW_UINT16 EndTransfer(TwainSession *s, TW_UINT16 *count) {
    TW_PENDINGXFERS pending{};
    TW_UINT16 rc = Call(s, "ending the transfer", &s->source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    *count = rc == TWRC_SUCCESS ? pending.Count : 0;
    if (rc == TWRC_SUCCESS) s->imagePending = pending.Count != 0;
    return rc;
}

TW_UINT16 ResetTransfers(TwainSession *s) {
    TW_PENDINGXFERS pending{};
    TW_UINT16 rc = Call(s, "dropping the pending images", &s->source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET,
                        &pending);
    if (rc == TWRC_SUCCESS) s->imagePending = false;
    return rc;
}

// A source that still holds the session ready (paper left in its feeder
// after the last counted image, say) refuses to be disabled until the
// pending images are dropped.
bool Disable(TwainSession *s) {
    TW_USERINTERFACE ui{};
    ui.hParent = s->window;
    TW_UINT16 rc = Call(s, "disabling the data source", &s->source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    if (rc == TWRC_FAILURE && s->lastError.hasCC && s->lastError.cc == TWCC_SEQERROR &&
        ResetTransfers(s) == TWRC_SUCCESS) {
        if (s->verbose) Trace(s, "the data source still had images ready; they were dropped");
        rc = Call(s, "disabling the data source", &s->source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    }
    return rc == TWRC_SUCCESS;
}

bool EndSession(TwainSession *s) {
    bool ok = true;
    if (s->imagePending) ok &= ResetTransfers(s) == TWRC_SUCCESS;
    if (s->enabled) {
        ok &= Disable(s);
        s->enabled = false;
    }
    if (s->sourceOpen) {
        ok &= Call(s, "closing the data source", nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &s->source) ==
              TWRC_SUCCESS;
        s->sourceOpen = false;
    }
    if (s->managerOpen) {
        ok &= Call(s, "closing the Source Manager", nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &s->window) ==
              TWRC_SUCCESS;
        s->managerOpen = false;
    }
    if (s->window) DestroyWindow(s->window);
    s->window = nullptr;
    if (s->dsmLibrary) FreeLibrary(s->dsmLibrary);
    s->dsmLibrary = nullptr;
    s->dsmEntry = nullptr;
    return ok;
}
