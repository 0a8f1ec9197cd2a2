// Records an application passes to DS_Entry, made from the fuzz input, and
// the checks on what comes back in them.
#ifndef QR_FUZZ_RECORDS_H
#define QR_FUZZ_RECORDS_H

#include "fuzz_host.h"

#include <memory>
#include <vector>

// A capability id: one the source knows (most of the time) or any.
TW_UINT16 PickCapability(FuzzInput &in);

// The application's container for MSG_SET: a block of fuzzed bytes and
// size, or none, or a handle that names no block.
struct AppContainer {
    HGLOBAL handle = nullptr;
    std::vector<TW_UINT8> bytes;  // what the block held when it was passed
    bool live = false;

    void Make(FuzzInput &in);
    // The source neither freed nor changed it; then it is freed.
    void CheckUntouchedAndFree() const;
};

// A capability request of any message with a fuzzed record; the answer,
// when the source built one, is checked and freed. The result code, and the
// capability asked for in `*cap`.
TW_UINT16 CapabilityTriplet(FuzzHost &host, FuzzInput &in, TW_UINT16 msg, pTW_IDENTITY origin,
                            TW_UINT16 *capId = nullptr);
// The source's answer to `msg` (a get or a reset) for one capability,
// checked and freed.
TW_UINT16 AskCapability(FuzzHost &host, TW_UINT16 capId, TW_UINT16 msg);

// The application's buffer for one strip: a heap block of exactly the
// length it claims (so that the sanitizer sees any write past it), or a
// global block, by the flags chosen.
struct StripBuffer {
    std::unique_ptr<TW_UINT8[]> pointer;
    HGLOBAL handle = nullptr;
    TW_UINT32 capacity = 0;  // bytes that really can be written

    void Make(FuzzInput &in, TW_UINT32 preferred, TW_MEMORY *memory);
    ~StripBuffer();
};

// A strip the source says it delivered fits the buffer it was given.
void CheckStrip(TW_UINT16 rc, const TW_IMAGEMEMXFER &strip, TW_UINT32 capacity);

#endif
