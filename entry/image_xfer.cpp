// DG_IMAGE / DAT_IMAGENATIVEXFER, DAT_IMAGEFILEXFER and DAT_IMAGEMEMXFER:
// each asks its consumer for the image and answers with what became of it.
#include "dispatch.h"

#include "startup/boundary_memory.h"
#include "startup/protocol.h"
#include "xfer/file_xfer.h"
#include "xfer/mem_xfer.h"
#include "xfer/native_xfer.h"

// The TWAIN return code of an image status: more strips to come, the end of
// the image, a cancel, or a failure.
static TW_UINT16 XferReturnCode(TW_INT16 status) {
    switch (status) {
    case XFER_MORE:
        return TWRC_SUCCESS;
    case XFER_DONE:
        return TWRC_XFERDONE;
    case XFER_CANCELLED:
        return TWRC_CANCEL;
    default:
        return TWRC_FAILURE;
    }
}

static TW_UINT16 FailureCondition(TW_INT16 status) {
    if (status == XFER_BUFFER_TOO_SMALL) return TWCC_BADVALUE;
    if (status == XFER_NO_MEMORY) return TWCC_LOWMEMORY;
    return TWCC_OPERATIONERROR;
}

// A transfer that ended (done or cancelled) leaves state 7; a failed one
// stays in its state with its condition code.
static TW_UINT16 EndOfTransfer(TW_INT16 status) {
    TW_UINT16 rc = XferReturnCode(status);
    if (rc == TWRC_FAILURE) return FailWith(FailureCondition(status));
    if (rc == TWRC_SUCCESS) return rc;
    gXferReady = FALSE;
    gDSState = DS_STATE_XFERRING;
    return rc;
}

// A TWAIN 2.4 source transfers with MSG_GET alone; a 1.5 source has always
// taken any message for it.
static bool WrongMessage(const TripletArgs *args) { return SpeaksTwain24() && args->MSG != MSG_GET; }

TW_UINT16 ImageNativeXferHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (WrongMessage(args)) return FailWith(TWCC_BADPROTOCOL);
    if (gDSState != DS_STATE_XFERREADY) return FailWith(TWCC_SEQERROR);
    TW_HANDLE *slot = static_cast<TW_HANDLE *>(args->pData);
    if (!slot) return FailWith(TWCC_BADVALUE);
    TW_HANDLE dib = nullptr;
    TW_INT16 status = NativeXfer(&dib);
    *slot = dib;
    return EndOfTransfer(status);
}

TW_UINT16 ImageFileXferHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (WrongMessage(args)) return FailWith(TWCC_BADPROTOCOL);
    if (gDSState != DS_STATE_XFERREADY) return FailWith(TWCC_SEQERROR);
    return EndOfTransfer(FileXfer());
}

static const TW_UINT32 kPointerFlags = TWMF_APPOWNS | TWMF_POINTER;
static const TW_UINT32 kHandleFlags = TWMF_APPOWNS | TWMF_HANDLE;

// The application's buffer for this strip, and how many bytes it holds;
// null when it is in neither form an application owns.
static TW_UINT8 *OpenBuffer(const TW_MEMORY &memory, TW_UINT32 *capacity) {
    *capacity = memory.Length;
    if (memory.Flags == kPointerFlags) return static_cast<TW_UINT8 *>(memory.TheMem);
    if (memory.Flags != kHandleFlags) return nullptr;
    size_t size = 0;
    TW_UINT8 *buffer = static_cast<TW_UINT8 *>(LockBoundary(memory.TheMem, &size));
    if (size < *capacity) *capacity = (TW_UINT32)size;
    return buffer;
}

TW_UINT16 ImageMemXferHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (WrongMessage(args)) return FailWith(TWCC_BADPROTOCOL);
    if (!StateIn(DS_STATE_XFERREADY, DS_STATE_XFERRING)) return FailWith(TWCC_SEQERROR);
    pTW_IMAGEMEMXFER app = static_cast<pTW_IMAGEMEMXFER>(args->pData);
    if (!app) return FailWith(TWCC_BADVALUE);
    TW_UINT32 capacity = 0;
    TW_UINT8 *buffer = OpenBuffer(app->Memory, &capacity);
    if (!buffer) return FailWith(app->Memory.Flags == kHandleFlags ? TWCC_SEQERROR : TWCC_BADVALUE);

    TW_IMAGEMEMXFER strip = *app;
    TW_INT16 status = MemXferStrip(&strip, buffer, capacity);
    // The application's TW_MEMORY goes back exactly as it came.
    strip.Memory = app->Memory;
    *app = strip;
    if (app->Memory.Flags == kHandleFlags) UnlockBoundary(app->Memory.TheMem);
    return EndOfTransfer(status);
}
