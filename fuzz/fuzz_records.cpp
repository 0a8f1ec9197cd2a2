#include "fuzz_records.h"

#include <string.h>

static const TW_UINT16 kCapabilities[] = {
    CAP_XFERCOUNT,       ICAP_COMPRESSION, ICAP_PIXELTYPE,     ICAP_UNITS,           ICAP_XFERMECH,
    CAP_AUTHOR,          CAP_CAPTION,      CAP_FEEDERENABLED,  CAP_FEEDERLOADED,     CAP_TIMEDATE,
    CAP_SUPPORTEDCAPS,   CAP_EXTENDEDCAPS, CAP_AUTOFEED,       CAP_INDICATORS,       ICAP_AUTOBRIGHT,
    ICAP_BRIGHTNESS,     ICAP_CONTRAST,    ICAP_HALFTONES,     ICAP_IMAGEFILEFORMAT, ICAP_PHYSICALWIDTH,
    ICAP_PHYSICALHEIGHT, ICAP_FRAMES,      ICAP_XRESOLUTION,   ICAP_YRESOLUTION,     ICAP_MAXFRAMES,
    ICAP_BITORDER,       ICAP_LIGHTPATH,   ICAP_PIXELFLAVOR,   ICAP_PLANARCHUNKY,    ICAP_SUPPORTEDSIZES,
    ICAP_XSCALING,       ICAP_YSCALING,    ICAP_JPEGPIXELTYPE, ICAP_BITDEPTH,        CAP_CUSTOMBASE,
};
static const size_t kKnownCapabilities = sizeof kCapabilities / sizeof kCapabilities[0];

TW_UINT16 PickCapability(FuzzInput &in) {
    uint8_t which = in.Byte();
    return which < kKnownCapabilities ? kCapabilities[which] : in.U16();
}

void AppContainer::Make(FuzzInput &in) {
    switch (in.Byte() % 8) {
    case 0:
        return;  // none
    case 1:
        handle = reinterpret_cast<HGLOBAL>(0x1234);  // names no block
        return;
    case 2:
        handle = GlobalAlloc(GMEM_MOVEABLE, 16);  // freed before it is passed
        GlobalFree(handle);
        return;
    default:
        break;
    }
    bytes.resize(in.U16() % 1024);
    in.Take(bytes.data(), bytes.size());
    handle = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!handle) return;  // a failure the input asked for: no container
    if (!bytes.empty()) {
        memcpy(GlobalLock(handle), bytes.data(), bytes.size());
        GlobalUnlock(handle);
    }
    live = true;
}

void AppContainer::CheckUntouchedAndFree() const {
    if (!live) return;
    FuzzCheck(GlobalFlags(handle) != GMEM_INVALID_HANDLE, "the application's container was freed");
    FuzzCheck(GlobalSize(handle) == bytes.size(), "the application's container was resized");
    FuzzCheck((GlobalFlags(handle) & GMEM_LOCKCOUNT) == 0, "the application's container was left locked");
    if (!bytes.empty()) {
        const void *now = GlobalLock(handle);
        FuzzCheck(now && memcmp(now, bytes.data(), bytes.size()) == 0, "the application's container was changed");
        GlobalUnlock(handle);
    }
    GlobalFree(handle);
}

TW_UINT16 CapabilityTriplet(FuzzHost &host, FuzzInput &in, TW_UINT16 msg, pTW_IDENTITY origin, TW_UINT16 *capId) {
    TW_CAPABILITY cap{};
    cap.Cap = PickCapability(in);
    if (capId) *capId = cap.Cap;
    cap.ConType = in.U16();
    AppContainer mine;
    mine.Make(in);
    cap.hContainer = mine.handle;
    TW_UINT16 rc = host.CallFrom(origin, DG_CONTROL, DAT_CAPABILITY, msg, &cap);
    if (cap.hContainer != mine.handle) {
        // A new answer: the application's to read and free.
        CheckAnsweredContainer(cap);
        host.Own(cap.hContainer);
    }
    mine.CheckUntouchedAndFree();
    return rc;
}

TW_UINT16 AskCapability(FuzzHost &host, TW_UINT16 capId, TW_UINT16 msg) {
    TW_CAPABILITY cap{capId, TWON_DONTCARE16, nullptr};
    TW_UINT16 rc = host.Call(DG_CONTROL, DAT_CAPABILITY, msg, &cap);
    CheckAnsweredContainer(cap);
    host.Own(cap.hContainer);
    return rc;
}

void StripBuffer::Make(FuzzInput &in, TW_UINT32 preferred, TW_MEMORY *memory) {
    uint8_t form = in.Byte();
    TW_UINT32 length;
    switch ((form >> 2) % 8) {
    case 0:
        length = preferred;
        break;
    case 1:
        length = 1;  // one byte
        break;
    case 2:
        length = (1u << (in.Byte() % 21)) - 1;  // 2^k - 1
        break;
    case 3:
        length = preferred ? preferred - 1 : 0;
        break;
    case 4:
        length = in.U16();  // perhaps one row, perhaps less
        break;
    default:
        length = in.U32() % (1u << 20);
    }
    memory->Length = length;
    switch (form % 4) {
    case 0:
        memory->Flags = TWMF_APPOWNS | TWMF_POINTER;
        pointer.reset(new TW_UINT8[length ? length : 1]);
        memory->TheMem = pointer.get();
        capacity = length;
        break;
    case 1: {
        memory->Flags = TWMF_APPOWNS | TWMF_HANDLE;
        // The block may be smaller than the length claimed.
        TW_UINT32 size = (form & 0x80) ? length / 2 : length;
        handle = GlobalAlloc(GMEM_MOVEABLE, size);
        memory->TheMem = handle;
        capacity = handle ? size : 0;  // none, when the input failed the allocation
        break;
    }
    default:
        // Flags the source must refuse: it must write through nothing. The
        // two forms an application owns are the only ones it takes, so they
        // are never drawn here (0x10 is no buffer).
        memory->Flags = in.U32();
        if (memory->Flags == (TWMF_APPOWNS | TWMF_POINTER) || memory->Flags == (TWMF_APPOWNS | TWMF_HANDLE))
            memory->Flags |= TWMF_DSOWNS;
        memory->TheMem = reinterpret_cast<void *>(0x10);
        capacity = 0;
    }
}

StripBuffer::~StripBuffer() {
    if (handle) {
        FuzzCheck((GlobalFlags(handle) & GMEM_LOCKCOUNT) == 0, "the application's buffer was left locked");
        GlobalFree(handle);
    }
}

void CheckStrip(TW_UINT16 rc, const TW_IMAGEMEMXFER &strip, TW_UINT32 capacity) {
    if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) return;
    FuzzCheck(strip.BytesWritten <= capacity, "a strip larger than the buffer");
    FuzzCheck((uint64_t)strip.Rows * strip.BytesPerRow <= strip.BytesWritten, "a strip of more rows than bytes");
}
