#include "twain_app.h"

#include <stdio.h>
#include <string.h>

namespace {

const char kWindowClass[] = "QrTwainTestApp";

void RegisterWindowClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    registered = RegisterClassA(&wc) != 0;
}

void FillAppIdentity(TW_IDENTITY &app) {
    memset(&app, 0, sizeof app);
    app.Version.MajorNum = 1;
    app.Version.Language = 13;  // TWLG_USA
    app.Version.Country = 1;    // TWCY_USA
    strcpy(app.Version.Info, "1.0");
    app.ProtocolMajor = 1;
    app.ProtocolMinor = 5;
    app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(app.Manufacturer, "QR Tests");
    strcpy(app.ProductFamily, "Windows tests");
    strcpy(app.ProductName, "twain_e2e");
}

}  // namespace

TW_HANDLE MakeOneValue(TW_UINT16 type, TW_UINT32 value) {
    HGLOBAL container = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    if (container == nullptr) return nullptr;
    pTW_ONEVALUE one = static_cast<pTW_ONEVALUE>(GlobalLock(container));
    one->ItemType = type;
    one->Item = value;
    GlobalUnlock(container);
    return container;
}

TwainApp::TwainApp() {
    FillAppIdentity(app_);
    memset(&source_, 0, sizeof source_);
    RegisterWindowClass();
    window_ = CreateWindowExA(0, kWindowClass, "twain_e2e", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
}

TwainApp::~TwainApp() {
    CloseManager();
    if (manager_ != nullptr) FreeLibrary(manager_);
    if (window_ != nullptr) DestroyWindow(window_);
}

TW_UINT16 TwainApp::CallManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (entry_ == nullptr) return TWRC_FAILURE;
    return entry_(&app_, nullptr, dg, dat, msg, data);
}

TW_UINT16 TwainApp::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (entry_ == nullptr) return TWRC_FAILURE;
    return entry_(&app_, &source_, dg, dat, msg, data);
}

// By the standard, MSG_OPENDSM's data points to the parent window's handle.
// Wine's Source Manager reads the pointer itself as the handle; its event
// notices reach the thread's queue all the same, and PumpOnce offers those.
bool TwainApp::OpenManager() {
    if (manager_ == nullptr) manager_ = LoadLibraryA("twain_32.dll");
    if (manager_ == nullptr || window_ == nullptr) return false;
    entry_ = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void (*)()>(GetProcAddress(manager_, "DSM_Entry")));
    if (entry_ == nullptr) return false;
    HWND parent = window_;
    managerOpen_ = CallManager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent) == TWRC_SUCCESS;
    return managerOpen_;
}

void TwainApp::CloseManager() {
    if (sourceOpen_) {
        Disable();
        CloseSource();
    }
    if (!managerOpen_) return;
    HWND parent = window_;
    CallManager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    managerOpen_ = false;
}

std::vector<TW_IDENTITY> TwainApp::Sources() {
    std::vector<TW_IDENTITY> found;
    TW_IDENTITY identity;
    memset(&identity, 0, sizeof identity);
    TW_UINT16 rc = CallManager(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity);
    while (rc == TWRC_SUCCESS && found.size() < 32) {
        found.push_back(identity);
        memset(&identity, 0, sizeof identity);
        rc = CallManager(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity);
    }
    return found;
}

TW_UINT16 TwainApp::OpenSource(const char *productName) {
    memset(&source_, 0, sizeof source_);
    snprintf(source_.ProductName, sizeof source_.ProductName, "%s", productName);
    TW_UINT16 rc = CallManager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_);
    sourceOpen_ = rc == TWRC_SUCCESS;
    return rc;
}

TW_UINT16 TwainApp::CloseSource() {
    if (!sourceOpen_) return TWRC_FAILURE;
    sourceOpen_ = false;
    return CallManager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
}

TW_UINT16 TwainApp::ConditionCode() {
    TW_STATUS status = {};
    if (Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS) return 0xFFFF;
    return status.ConditionCode;
}

TW_UINT16 TwainApp::Enable(bool showUI) {
    TW_USERINTERFACE ui = {};
    ui.ShowUI = showUI ? 1 : 0;
    ui.hParent = window_;
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 TwainApp::Disable() {
    TW_USERINTERFACE ui = {};
    ui.hParent = window_;
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

// The Source Manager posts its event notice to the window and to the thread
// queue alike: thread messages are offered too.
TW_UINT16 TwainApp::PumpOnce() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TW_EVENT event = {&message, MSG_NULL};
        TW_UINT16 rc = Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
        if (rc == TWRC_DSEVENT && event.TWMessage != MSG_NULL) return event.TWMessage;
        if (rc != TWRC_DSEVENT) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return MSG_NULL;
}

TW_UINT16 TwainApp::WaitForSourceMessage(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        TW_UINT16 message = PumpOnce();
        if (message != MSG_NULL) return message;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < timeoutMs);
    return MSG_NULL;
}

TW_UINT16 TwainApp::SetOneValue(TW_UINT16 cap, TW_UINT16 type, TW_UINT32 value) {
    TW_CAPABILITY capability = {cap, TWON_ONEVALUE, MakeOneValue(type, value)};
    if (capability.hContainer == nullptr) return TWRC_FAILURE;
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
    GlobalFree(capability.hContainer);
    return rc;
}

TW_UINT16 TwainApp::GetCurrent(TW_UINT16 cap, TW_UINT16 *type, TW_UINT32 *value) {
    TW_CAPABILITY capability = {cap, TWON_DONTCARE16, nullptr};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &capability);
    if (rc != TWRC_SUCCESS) return rc;
    if (capability.ConType != TWON_ONEVALUE || capability.hContainer == nullptr) {
        if (capability.hContainer != nullptr) GlobalFree(capability.hContainer);
        return TWRC_FAILURE;
    }
    pTW_ONEVALUE one = static_cast<pTW_ONEVALUE>(GlobalLock(capability.hContainer));
    *type = one->ItemType;
    *value = one->Item;
    GlobalUnlock(capability.hContainer);
    GlobalFree(capability.hContainer);
    return rc;
}

TW_UINT16 TwainApp::EndXfer(TW_UINT16 *remaining) {
    TW_PENDINGXFERS pending = {};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    if (remaining != nullptr) *remaining = pending.Count;
    return rc;
}
