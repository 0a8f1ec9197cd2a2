// A Source Manager that records what the data source sends it.
#include "twain.h"
#include "win32.h"

#include <stdio.h>
#include <string.h>

struct FakeSourceManagerState {
    int calls;
    TW_UINT32 lastOriginId;
    TW_UINT32 lastDestId;
    TW_UINT32 lastDG;
    TW_UINT16 lastDAT;
    TW_UINT16 lastMSG;
    TW_MEMREF lastData;
    char log[2048];  // "MSG MSG ..." of each call, as hex
};

static FakeSourceManagerState gState;

extern "C" __attribute__((visibility("default"))) FakeSourceManagerState *FakeDSM_State() { return &gState; }

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(pTW_IDENTITY origin, pTW_IDENTITY dest,
                                                                      TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                                                      TW_MEMREF data) {
    gState.calls++;
    gState.lastOriginId = origin ? origin->Id : 0xFFFFFFFFu;
    gState.lastDestId = dest ? dest->Id : 0xFFFFFFFFu;
    gState.lastDG = DG;
    gState.lastDAT = DAT;
    gState.lastMSG = MSG;
    gState.lastData = data;
    size_t used = strlen(gState.log);
    snprintf(gState.log + used, sizeof gState.log - used, "%s0x%04x", used ? " " : "", MSG);
    return TWRC_SUCCESS;
}
