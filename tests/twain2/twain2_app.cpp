#include "twain2_app.h"

#include <atomic>
#include <stdio.h>
#include <string.h>

namespace {

// What the callback heard, oldest first; one application per process.
std::atomic<int> gMessages{0};
std::atomic<int> gTaken{0};
std::atomic<TW_UINT16> gLast[64];

TW_UINT16 TW_CALLINGSTYLE OnSourceMessage(pTW_IDENTITY, pTW_IDENTITY, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                          TW_MEMREF) {
    // Noted only: a TWAIN 2.2 manager refuses calls made from inside here.
    if (dg != DG_CONTROL || dat != DAT_NULL) return TWRC_FAILURE;
    int slot = gMessages.load();
    gLast[slot % 64] = msg;
    gMessages = slot + 1;
    return TWRC_SUCCESS;
}

TW_UINT16 TakeMessage() {
    int taken = gTaken.load();
    if (taken >= gMessages.load()) return MSG_NULL;
    gTaken = taken + 1;
    return gLast[taken % 64];
}

uint32_t Get32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

#if defined(_WIN32)
HWND CreateAppWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QrTwain2TestApp";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "twain2", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}
#endif

}  // namespace

size_t ItemBytes(TW_UINT16 itemType) {
    static const size_t kSizes[] = {1, 2, 4, 1, 2, 4, 2, 4, 16, 34, 66, 130, 256};
    return itemType < 13 ? kSizes[itemType] : 0;
}

size_t ContainerBytes(TW_UINT16 conType, const uint8_t *head) {
    size_t item = ItemBytes((TW_UINT16)(head[0] | head[1] << 8));
    if (item == 0) return 0;
    switch (conType) {
    case TWON_ONEVALUE:
        return 2 + (item < 4 ? 4 : item);
    case TWON_ENUMERATION:
        return 14 + (size_t)Get32(head + 2) * item;
    case TWON_RANGE:
        return 22;
    case TWON_ARRAY:
        return 6 + (size_t)Get32(head + 2) * item;
    default:
        return 0;
    }
}

size_t DibBytes(const uint8_t *dib) {
    BITMAPINFOHEADER header;
    memcpy(&header, dib, sizeof header);
    size_t colours = header.biClrUsed ? header.biClrUsed : header.biBitCount <= 8 ? (size_t)1 << header.biBitCount : 0;
    size_t stride = ((size_t)header.biWidth * header.biBitCount + 31) / 32 * 4;
    return header.biSize + 4 * colours + stride * (size_t)(header.biHeight < 0 ? -header.biHeight : header.biHeight);
}

Twain2App::Twain2App(const std::string &managerPath) : managerPath_(managerPath) {
    app_.Version.MajorNum = 1;
    app_.Version.Language = TWLG_USA;
    app_.Version.Country = TWCY_USA;
    strcpy(app_.Version.Info, "1.0");
    app_.ProtocolMajor = 2;
    app_.ProtocolMinor = 4;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    strcpy(app_.Manufacturer, "QR Tests");
    strcpy(app_.ProductFamily, "TWAIN 2 tests");
    strcpy(app_.ProductName, "twain2_tests");
#if defined(_WIN32)
    window_ = CreateAppWindow();
#endif
}

Twain2App::~Twain2App() {
    CloseManager();
    if (manager_) FreeLibrary(manager_);
#if defined(_WIN32)
    if (window_) DestroyWindow(window_);
#endif
}

bool Twain2App::OpenManager() {
    if (!manager_) manager_ = LoadLibraryA(managerPath_.c_str());
    if (!manager_) return false;
    entry_ = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void (*)()>(GetProcAddress(manager_, "DSM_Entry")));
    if (!entry_) return false;
    HWND parent = window_;
    managerOpen_ = Call(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent) == TWRC_SUCCESS;
    if (!managerOpen_) return false;
    entryPoint_ = {};
    entryPoint_.Size = sizeof entryPoint_;
    return entry_(&app_, nullptr, DG_CONTROL, DAT_ENTRYPOINT, MSG_GET, &entryPoint_) == TWRC_SUCCESS &&
           entryPoint_.DSM_MemAllocate && entryPoint_.DSM_MemFree && entryPoint_.DSM_MemLock;
}

void Twain2App::CloseManager() {
    if (sourceOpen_) {
        TW_PENDINGXFERS pending = {};
        Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
        Disable();
        CloseSource();
    }
    if (!managerOpen_) return;
    HWND parent = window_;
    entry_(&app_, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    managerOpen_ = false;
}

std::vector<TW_IDENTITY> Twain2App::Sources() {
    std::vector<TW_IDENTITY> found;
    TW_IDENTITY identity = {};
    TW_UINT16 rc = entry_(&app_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity);
    while (rc == TWRC_SUCCESS && found.size() < 32) {
        found.push_back(identity);
        identity = {};
        rc = entry_(&app_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity);
    }
    return found;
}

TW_UINT16 Twain2App::OpenSource(const char *productName) {
    source_ = {};
    snprintf(source_.ProductName, sizeof source_.ProductName, "%s", productName);
    TW_UINT16 rc = entry_(&app_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_);
    sourceOpen_ = rc == TWRC_SUCCESS;
    if (!sourceOpen_) return rc;
    gTaken = gMessages.load();  // nothing heard before belongs to this source
    TW_CALLBACK callback = {};
    callback.CallBackProc = reinterpret_cast<TW_MEMREF>(OnSourceMessage);
    return Call(DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback);
}

TW_UINT16 Twain2App::CloseSource() {
    if (!sourceOpen_) return TWRC_FAILURE;
    sourceOpen_ = false;
    return entry_(&app_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
}

TW_UINT16 Twain2App::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    bool forManager = dat == DAT_PARENT;
    return entry_(&app_, forManager ? nullptr : &source_, dg, dat, msg, data);
}

TW_UINT16 Twain2App::ConditionCode() {
    TW_STATUS status = {};
    if (Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS) return 0xFFFF;
    return status.ConditionCode;
}

TW_UINT16 Twain2App::Enable(bool showUI) {
    TW_USERINTERFACE ui = {};
    ui.ShowUI = showUI ? TRUE : FALSE;
    ui.hParent = window_;
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 Twain2App::Disable() {
    TW_USERINTERFACE ui = {};
    ui.hParent = window_;
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

TW_UINT16 Twain2App::EndXfer(TW_UINT16 *remaining) {
    TW_PENDINGXFERS pending = {};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    if (remaining) *remaining = pending.Count;
    return rc;
}

TW_UINT16 Twain2App::WaitForSourceMessage(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        TW_UINT16 message = TakeMessage();
        if (message != MSG_NULL) return message;
#if defined(_WIN32)
        MSG event;
        while (PeekMessageA(&event, nullptr, 0, 0, PM_REMOVE)) {
            TW_EVENT twEvent = {&event, MSG_NULL};
            if (Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twEvent) == TWRC_DSEVENT) continue;
            TranslateMessage(&event);
            DispatchMessageA(&event);
        }
#endif
        Sleep(5);
    } while (GetTickCount() - start < timeoutMs);
    return TakeMessage();
}

int Twain2App::CallbackMessages() { return gMessages.load(); }

TW_HANDLE Twain2App::Alloc(TW_UINT32 bytes) { return entryPoint_.DSM_MemAllocate(bytes); }
void *Twain2App::Lock(TW_HANDLE handle) { return entryPoint_.DSM_MemLock(handle); }
void Twain2App::Unlock(TW_HANDLE handle) {
    if (entryPoint_.DSM_MemUnlock) entryPoint_.DSM_MemUnlock(handle);
}
void Twain2App::Free(TW_HANDLE handle) { entryPoint_.DSM_MemFree(handle); }

TW_UINT16 Twain2App::GetCap(TW_UINT16 cap, TW_UINT16 msg, TW_UINT16 *conType, std::vector<uint8_t> *bytes) {
    TW_CAPABILITY request = {cap, TWON_DONTCARE16, nullptr};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, msg, &request);
    bytes->clear();
    *conType = request.ConType;
    if (rc != TWRC_SUCCESS || !request.hContainer) return rc;
    const uint8_t *head = static_cast<const uint8_t *>(Lock(request.hContainer));
    size_t size = head ? ContainerBytes(request.ConType, head) : 0;
    if (size) bytes->assign(head, head + size);
    Unlock(request.hContainer);
    Free(request.hContainer);
    return rc;
}

TW_UINT16 Twain2App::SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item) {
    TW_CAPABILITY request = {cap, TWON_ONEVALUE, Alloc(sizeof(TW_ONEVALUE))};
    if (!request.hContainer) return TWRC_FAILURE;
    pTW_ONEVALUE value = static_cast<pTW_ONEVALUE>(Lock(request.hContainer));
    value->ItemType = itemType;
    value->Item = item;
    Unlock(request.hContainer);
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &request);
    Free(request.hContainer);
    return rc;
}
