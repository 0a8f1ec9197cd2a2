#include "twain_session.h"

#include <stdlib.h>
#include <string.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <atomic>

#include "twain_names.h"

namespace {

const char kWindowClass[] = "QrScanSession";

// What the source last sent through the Source Manager's callback; taken by
// the wait. One session per process.
std::atomic<TW_UINT16> gCallbackMessage{MSG_NULL};

TW_UINT16 TW_CALLINGSTYLE OnSourceMessage(pTW_IDENTITY, pTW_IDENTITY, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                          TW_MEMREF) {
    // Only noted: a TWAIN 2 manager refuses calls to the source from inside
    // its callback.
    if (dg == DG_CONTROL && dat == DAT_NULL && msg != MSG_NULL) gCallbackMessage = msg;
    return TWRC_SUCCESS;
}

bool HasManagerMemory(const TwainSession *s) {
    return s->entryPoint.DSM_MemAllocate && s->entryPoint.DSM_MemFree && s->entryPoint.DSM_MemLock;
}

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
    // A TWAIN 2.4 application: DF_APP2 asks a TWAIN 2 manager for its entry
    // point and callbacks; a 1.x manager ignores both.
    app->ProtocolMajor = 2;
    app->ProtocolMinor = 4;
    app->SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    strcpy(app->Manufacturer, "QR Imaging");
    strcpy(app->ProductFamily, "QR Tools");
    strcpy(app->ProductName, "qrscan");
}

bool IsTimeUp(DWORD start, int timeoutSeconds) { return GetTickCount() - start >= (DWORD)timeoutSeconds * 1000u; }

// The Source Manager $QR_TWAIN_DSM names, or null when it names none (unset
// or empty).
const char *ChosenManager() {
    const char *chosen = getenv("QR_TWAIN_DSM");
    return chosen && *chosen ? chosen : nullptr;
}

}  // namespace

std::string ManagerPath(std::string *why) {
    if (const char *chosen = ChosenManager()) {
        *why = "chosen with QR_TWAIN_DSM";
        return chosen;
    }
#if !defined(_WIN32)
    static const char kInstalled[] = "/usr/local/lib/libtwaindsm.so";
    if (access(kInstalled, F_OK) == 0) {
        *why = "the TWAIN Working Group's, installed";
        return kInstalled;
    }
#endif
    char folder[MAX_PATH];
    UINT folderLength = GetWindowsDirectoryA(folder, sizeof folder);
    std::string path;
    if (folderLength > 0 && folderLength < sizeof folder) path = std::string(folder) + QR_PATH_SEPARATOR;
#if defined(_WIN32)
    *why = "the Windows directory's";
#else
    *why = "QRVM's stand-in: /usr/local/lib/libtwaindsm.so is not installed";
#endif
    return path + "TWAIN_32.DLL";
}

bool LoadManager(TwainSession *s) {
    AppIdentity(&s->app);
    std::string why;
    std::string path = ManagerPath(&why);
    s->dsmLibrary = LoadLibraryA(path.c_str());
#if defined(_WIN32)
    // Where the Windows directory holds no copy, the system's search path
    // may still find the manager (Wine keeps its own in system32).
    if (!s->dsmLibrary && !ChosenManager()) s->dsmLibrary = LoadLibraryA("TWAIN_32.DLL");
#endif
    if (s->dsmLibrary)
        s->dsmEntry = reinterpret_cast<DSMENTRYPROC>(
            reinterpret_cast<void (*)(void)>(GetProcAddress(s->dsmLibrary, "DSM_Entry")));
    if (s->dsmEntry) {
        char loaded[MAX_PATH];
        DWORD length = GetModuleFileNameA(s->dsmLibrary, loaded, sizeof loaded);
        s->dsmPath = length && length < sizeof loaded ? std::string(loaded, length) : path;
        if (s->verbose) Trace(s, "Source Manager: " + s->dsmPath + " (" + why + ")");
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
    s->window =
        CreateWindowExA(0, kWindowClass, "qrscan", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    return s->window != nullptr;
}

TW_UINT16 OpenManager(TwainSession *s) {
    TW_UINT16 rc = Call(s, "opening the Source Manager", nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &s->window);
    s->managerOpen = rc == TWRC_SUCCESS;
    if (!s->managerOpen || !(s->app.SupportedGroups & DF_DSM2)) return rc;
    // A TWAIN 2 manager: its memory functions serve every handle from now on.
    TW_ENTRYPOINT entryPoint{};
    entryPoint.Size = sizeof entryPoint;
    if (Call(s, "asking for the Source Manager's entry point", nullptr, DG_CONTROL, DAT_ENTRYPOINT, MSG_GET,
             &entryPoint) == TWRC_SUCCESS)
        s->entryPoint = entryPoint;
    if (s->verbose)
        Trace(s, HasManagerMemory(s) ? "handles are the Source Manager's memory (DSM_MemAllocate)"
                                     : "handles are global memory");
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
    if (!s->sourceOpen || !(s->app.SupportedGroups & DF_DSM2)) return rc;
    TW_CALLBACK callback{};
    callback.CallBackProc = reinterpret_cast<TW_MEMREF>(OnSourceMessage);
    s->callbacks = Call(s, "registering for the source's messages", &s->source, DG_CONTROL, DAT_CALLBACK,
                        MSG_REGISTER_CALLBACK, &callback) == TWRC_SUCCESS;
    if (s->verbose)
        Trace(s, s->callbacks ? "the source's messages come by callback" : "the source's messages come with events");
    return rc;
}

TW_UINT16 EnableSource(TwainSession *s, bool showUI) {
    gCallbackMessage = MSG_NULL;  // the source may announce inside the call
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

TW_UINT16 SourceCall(TwainSession *s, const char *step, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return Call(s, step, &s->source, dg, dat, msg, data);
}

// Events go to the source unless its messages come by callback on Linux,
// where applications offer none.
static bool OffersEvents(const TwainSession *s) {
#if defined(_WIN32)
    (void)s;
    return true;
#else
    return !s->callbacks;
#endif
}

TW_UINT16 WaitForSourceMessage(TwainSession *s, int timeoutSeconds, const std::function<bool()> &stop) {
    DWORD start = GetTickCount();
    while (!IsTimeUp(start, timeoutSeconds) && !(stop && stop())) {
        TW_UINT16 called = gCallbackMessage.exchange(MSG_NULL);
        if (called != MSG_NULL) {
            if (s->tracing) Trace(s, std::string("DG_CONTROL DAT_NULL ") + TwainMSGName(called) + " (callback)");
            return called;
        }
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        if (!OffersEvents(s)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
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

TW_HANDLE AllocHandle(TwainSession *s, size_t bytes) {
    if (!HasManagerMemory(s)) return GlobalAlloc(GHND, bytes);
    if (bytes > 0xFFFFFFFFu) return nullptr;
    TW_HANDLE handle = s->entryPoint.DSM_MemAllocate((TW_UINT32)bytes);
    // Zero-filled as GHND's: the Working Group's manager does so already,
    // another might not.
    void *data = handle ? s->entryPoint.DSM_MemLock(handle) : nullptr;
    if (data) memset(data, 0, bytes);
    if (data && s->entryPoint.DSM_MemUnlock) s->entryPoint.DSM_MemUnlock(handle);
    return handle;
}

void *LockHandle(TwainSession *s, TW_HANDLE handle, size_t *size) {
    *size = 0;
    if (!handle) return nullptr;
    if (!HasManagerMemory(s)) {
        *size = GlobalSize(handle);
        return *size ? GlobalLock(handle) : nullptr;
    }
#if defined(_WIN32)
    *size = GlobalSize(handle);  // the manager's memory is global memory here
#else
    *size = kUnknownSize;
#endif
    return s->entryPoint.DSM_MemLock(handle);
}

void UnlockHandle(TwainSession *s, TW_HANDLE handle) {
    if (!handle) return;
    if (!HasManagerMemory(s))
        GlobalUnlock(handle);
    else if (s->entryPoint.DSM_MemUnlock)
        s->entryPoint.DSM_MemUnlock(handle);
}

void FreeHandle(TwainSession *s, TW_HANDLE handle) {
    if (!handle) return;
    if (!HasManagerMemory(s))
        GlobalFree(handle);
    else
        s->entryPoint.DSM_MemFree(handle);
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
    TW_UINT16 rc =
        Call(s, "dropping the pending images", &s->source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
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
    s->entryPoint = TW_ENTRYPOINT{};
    s->callbacks = false;
    return ok;
}
