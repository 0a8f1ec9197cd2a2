// Fuzz target: sequences of triplets through DS_Entry with fuzzed records
// and containers, the scan module's callbacks at any moment, and the
// application's message loop, while every answer of the scan module comes
// from the input too.
//
// Input: a 16-bit length, the application's script of that many bytes, then
// the scan module's answers (fuzz_scan_module.cpp). The script is a series
// of steps; each starts with a byte whose value modulo 8 chooses:
//   0-4  a triplet: a byte choosing one of kTriplets (or, past the end, a
//        raw DG, DAT and MSG follow), a byte of flags (pData null, origin
//        null or uninitialised), then the record's bytes as the DAT needs
//        (fuzz/make_seeds.py writes them, and is the reference)
//   5    ReadytoScan with the flag in the next byte's low bit
//   6    ReadytoCloseSM
//   7    the application's message loop: up to (next byte % 8) + 1 messages
// except that a byte of 0xF0 or more fails a call of the platform from then
// on: a global allocation, heap allocation, file write or file read (its
// low two bits), the n-th from now (the next byte % 32, plus 1).

#include "fuzz_records.h"

#include "winlayer_test.h"

#include <stddef.h>
#include <string.h>

namespace {

struct Triplet {
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    bool raw;  // not one of kTriplets
};

const Triplet kTriplets[] = {
    {DG_CONTROL, DAT_IDENTITY, MSG_GET, false},              // 0
    {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, false},           // 1
    {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, false},          // 2
    {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, false},    // 3
    {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, false},   // 4
    {DG_CONTROL, DAT_CAPABILITY, MSG_GET, false},            // 5
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, false},     // 6
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETDEFAULT, false},     // 7
    {DG_CONTROL, DAT_CAPABILITY, MSG_SET, false},            // 8
    {DG_CONTROL, DAT_CAPABILITY, MSG_RESET, false},          // 9
    {DG_CONTROL, DAT_STATUS, MSG_GET, false},                // 10
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, false},          // 11
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, false},      // 12
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, false},        // 13
    {DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, false},          // 14
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, false},         // 15
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_GETDEFAULT, false},  // 16
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, false},         // 17
    {DG_CONTROL, DAT_SETUPFILEXFER, MSG_RESET, false},       // 18
    {DG_CONTROL, DAT_XFERGROUP, MSG_GET, false},             // 19
    {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, false},        // 20
    {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, false},               // 21
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, false},             // 22
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GETDEFAULT, false},      // 23
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, false},             // 24
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, false},           // 25
    {DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, false},            // 26
    {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, false},         // 27
    {DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, false},           // 28
};
const size_t kKnownTriplets = sizeof kTriplets / sizeof kTriplets[0];
const int kMaxSteps = 64;

// What the application remembers between its calls.
struct Application {
    FuzzHost &host;
    FuzzInput &in;
    TW_UINT32 preferred = 32768;  // the strip size DAT_SETUPMEMXFER gave
    bool receivedFile = false;    // a file transfer ended: the file is ours
    TW_IDENTITY identity{};       // as DAT_IDENTITY MSG_GET gave it
};

Triplet PickTriplet(FuzzInput &in) {
    uint8_t which = in.Byte();
    if (which < kKnownTriplets) return kTriplets[which];
    static const TW_UINT32 kGroups[] = {DG_CONTROL, DG_IMAGE, 4 /* audio */};
    uint8_t group = in.Byte();
    TW_UINT32 DG = group % 4 < 3 ? kGroups[group % 4] : in.U32();
    TW_UINT16 DAT = in.U16();
    return {DG, DAT, in.U16(), true};
}

TW_UINT16 MemoryStrip(Application &app, pTW_IDENTITY origin) {
    TW_IMAGEMEMXFER strip{};
    app.in.Take(&strip, offsetof(TW_IMAGEMEMXFER, Memory));  // what the source only writes
    StripBuffer buffer;
    buffer.Make(app.in, app.preferred, &strip.Memory);
    TW_MEMORY given = strip.Memory;
    TW_UINT16 rc = app.host.CallFrom(origin, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
    TW_MEMORY back = strip.Memory;
    FuzzCheck(memcmp(&back, &given, sizeof given) == 0, "the application's TW_MEMORY came back changed");
    CheckStrip(rc, strip, buffer.capacity);
    return rc;
}

TW_UINT16 NativeImage(Application &app, pTW_IDENTITY origin, TW_UINT32 MSG) {
    TW_HANDLE slot;
    memset(&slot, 0xA5, sizeof slot);
    TW_UINT16 rc = app.host.CallFrom(origin, DG_IMAGE, DAT_IMAGENATIVEXFER, (TW_UINT16)MSG, &slot);
    bool live = slot && GlobalFlags(slot) != GMEM_INVALID_HANDLE;
    FuzzCheck(rc == TWRC_XFERDONE || !live, "a bitmap handed over with a failure or a cancel");
    if (live) app.host.Own(slot);
    return rc;
}

void FileSetup(Application &app, TW_SETUPFILEXFER *setup) {
    app.host.FileName(app.in.Byte(), setup->FileName);
    static const TW_UINT16 kFormats[] = {TWFF_TIFF, TWFF_BMP, TWFF_JFIF};
    uint8_t format = app.in.Byte();
    setup->Format = format % 4 < 3 ? kFormats[format % 4] : app.in.U16();
    setup->VRefNum = (TW_INT16)app.in.U16();
}

// A window message the application offers; only messages whose parameters
// hold no pointers, as the application's own loop would see.
void Event(Application &app, TW_EVENT *event, MSG *message) {
    static const UINT kMessages[] = {WM_NULL,        WM_KEYDOWN,   WM_KEYUP,     WM_CHAR,
                                     WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_PAINT};
    memset(message, 0, sizeof *message);
    message->hwnd = app.in.Byte() & 1 ? app.host.ScanModuleWindow() : nullptr;
    message->message = kMessages[app.in.Byte() % 8];
    message->wParam = app.in.U16();
    message->lParam = app.in.U16();
    event->pEvent = app.in.Byte() % 8 == 7 ? nullptr : message;
    event->TWMessage = app.in.U16();
}

// One triplet with the origin and record the input chooses.
TW_UINT16 CallTriplet(Application &app, const Triplet &t) {
    FuzzInput &in = app.in;
    uint8_t flags = in.Byte();
    bool noData = flags % 4 == 3;
    TW_IDENTITY garbage;
    memset(&garbage, 0xCD, sizeof garbage);  // an origin nobody filled in
    TW_IDENTITY *origin = nullptr;
    TW_IDENTITY application = app.identity;
    application.Id = 7;
    switch ((flags >> 2) % 4) {
    case 2:
        origin = &garbage;
        break;
    case 3:
        break;
    default:
        origin = &application;
    }

    if (noData) return app.host.CallFrom(origin, t.DG, t.DAT, t.MSG, nullptr);
    if (t.DAT == DAT_CAPABILITY) return CapabilityTriplet(app.host, in, t.MSG, origin);
    if (t.DG == DG_IMAGE && t.DAT == DAT_IMAGEMEMXFER) return MemoryStrip(app, origin);
    if (t.DG == DG_IMAGE && t.DAT == DAT_IMAGENATIVEXFER) return NativeImage(app, origin, t.MSG);
    alignas(8) TW_UINT8 record[1024] = {};
    MSG message;
    // The source takes MSG_PROCESSEVENT for an event whatever the DAT; an
    // application sends it with a TW_EVENT, whose pointer no source can check.
    TW_UINT16 form = t.MSG == MSG_PROCESSEVENT ? (TW_UINT16)DAT_EVENT : t.DAT;
    switch (form) {
    case DAT_SETUPFILEXFER:
        FileSetup(app, reinterpret_cast<TW_SETUPFILEXFER *>(record));
        break;
    case DAT_USERINTERFACE: {
        auto *ui = reinterpret_cast<TW_USERINTERFACE *>(record);
        ui->ShowUI = in.Byte() % 4;
        ui->hParent = in.Byte() & 1 ? reinterpret_cast<TW_HANDLE>(0x1234) : nullptr;
        break;
    }
    case DAT_EVENT:
        Event(app, reinterpret_cast<TW_EVENT *>(record), &message);
        break;
    case DAT_ENTRYPOINT:
        // Only a Source Manager sends it, and its functions are trusted.
        app.host.FillEntryPoint(reinterpret_cast<TW_ENTRYPOINT *>(record));
        break;
    case DAT_IDENTITY:
        // Our identity as the Source Manager assigned it, or bytes.
        if (t.MSG == MSG_GET && !t.raw) break;
        if (in.Byte() % 4 == 0) {
            TW_IDENTITY ours = app.identity;
            ours.Id = 42;
            memcpy(record, &ours, sizeof ours);
        } else {
            in.Take(record, sizeof(TW_IDENTITY));
        }
        break;
    default:
        // What the source only writes into needs no bytes of the input.
        if (t.MSG == MSG_SET || t.raw) in.Take(record, 64);
    }
    TW_UINT16 rc = app.host.CallFrom(origin, t.DG, t.DAT, t.MSG, record);
    if (t.DAT == DAT_IDENTITY && t.MSG == MSG_GET && rc == TWRC_SUCCESS)
        memcpy(&app.identity, record, sizeof app.identity);
    if (t.DAT == DAT_SETUPMEMXFER && rc == TWRC_SUCCESS)
        app.preferred = reinterpret_cast<TW_SETUPMEMXFER *>(record)->Preferred;
    return rc;
}

TW_UINT16 RunTriplet(Application &app) {
    Triplet t = PickTriplet(app.in);
    TW_UINT16 rc = CallTriplet(app, t);
    if (t.DAT == DAT_IMAGEFILEXFER && rc != TWRC_FAILURE) app.receivedFile = true;
    return rc;
}

void PumpMessages(int count) {
    MSG message;
    for (int i = 0; i < count && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

// The source is loaded before the first input, so that the fuzzer counts
// its coverage from the start.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzHost::Get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzHost &host = FuzzHost::Get();
    SplitInput input = SplitFuzzInput(data, size);
    FuzzScanScript script = {&input.answers, nullptr, 0, {}};
    host.StartScanModule(&script);
    Application app{host, input.script};
    for (int step = 0; step < kMaxSteps && !input.script.Empty(); ++step) {
        uint8_t op = input.script.Byte();
        if (op >= 0xF0) {
            WinLayer_FailNthOfKind(op & 3, input.script.Byte() % 32 + 1);  // as the fault sweep does
            continue;
        }
        switch (op % 8) {
        case 5:
            host.ReadytoScan(input.script.Byte() & 1);
            break;
        case 6:
            host.ReadytoCloseSM();
            break;
        case 7:
            PumpMessages(input.script.Byte() % 8 + 1);
            break;
        default:
            // A failure always leaves its reason for DAT_STATUS (which
            // itself fails before the source is open).
            if (RunTriplet(app) == TWRC_FAILURE)
                FuzzCheck(host.Status() != TWCC_SUCCESS, "a failure without a condition code");
        }
    }
    host.EndInput(app.receivedFile);
    return 0;
}
