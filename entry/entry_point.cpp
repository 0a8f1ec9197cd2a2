// DG_CONTROL / DAT_ENTRYPOINT: a TWAIN 2 Source Manager hands over its entry
// point and memory functions before it opens the source (our identity says
// DF_DS2). The session then sends its notifications through that entry point
// and makes the application's memory with those functions.
#include "dispatch.h"

#include "startup/source_manager.h"

TW_UINT16 EntryPointHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (args->MSG != MSG_SET) return FailWith(TWCC_BADPROTOCOL);
    // Before the source opens, whether or not it could start: capabilities
    // are answered in every state, in the manager's memory too.
    if (gDSState > DS_STATE_LOADED) return FailWith(TWCC_SEQERROR);
    pTW_ENTRYPOINT entryPoint = static_cast<pTW_ENTRYPOINT>(args->pData);
    if (!entryPoint || entryPoint->Size < sizeof(TW_ENTRYPOINT) || !entryPoint->DSM_Entry)
        return FailWith(TWCC_BADVALUE);
    UseSourceManagerEntryPoint(*entryPoint);
    return TWRC_SUCCESS;
}
