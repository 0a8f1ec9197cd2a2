// Fuzz target: the container readers, through DAT_CAPABILITY MSG_SET with
// fuzzed containers, each followed by the source's own answers for the same
// capability. The application's container must come back untouched, and
// every answer must be a whole container.
//
// Input: up to 32 requests, each: a byte choosing the message (0-4 MSG_SET,
// 5 MSG_GET, 6 MSG_GETCURRENT, 7 MSG_RESET, by its value modulo 8), a
// capability (a byte, past the list a raw 16-bit id), the ConType (16 bits),
// and the container: a byte choosing none, a dead handle or a block, then
// for a block its size (16 bits, modulo 1024) and bytes.
#include "fuzz_records.h"

static const int kMaxRequests = 32;

// The source is loaded before the first input, so that the fuzzer counts
// its coverage from the start.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzHost::Get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzHost &host = FuzzHost::Get();
    FuzzInput in(data, size);
    host.StartScanModule(nullptr);
    // Opened anew for every input: values set by one input do not reach the next.
    FuzzCheck(host.Open() == TWRC_SUCCESS, "opening the source");
    static const TW_UINT16 kMessages[] = {MSG_SET, MSG_SET, MSG_SET,        MSG_SET,
                                          MSG_SET, MSG_GET, MSG_GETCURRENT, MSG_RESET};
    for (int request = 0; request < kMaxRequests && !in.Empty(); ++request) {
        TW_UINT16 msg = kMessages[in.Byte() % 8];
        TW_UINT16 capId = 0;
        CapabilityTriplet(host, in, msg, host.App(), &capId);
        AskCapability(host, capId, MSG_GETCURRENT);
        AskCapability(host, capId, MSG_GET);
    }
    host.EndInput();
    return 0;
}
