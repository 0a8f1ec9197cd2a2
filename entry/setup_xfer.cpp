// DG_CONTROL / DAT_SETUPMEMXFER and DAT_SETUPFILEXFER: the buffer sizes a
// memory transfer needs, and where and in which format a file transfer
// writes.
#include "dispatch.h"

#include "caps/file_setup.h"
#include "caps/store.h"
#include "image/scan_file.h"

TW_UINT16 SetupMemXferHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (args->MSG != MSG_GET) return FailWith(TWCC_BADPROTOCOL);
    if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERREADY)) return FailWith(TWCC_SEQERROR);
    pTW_SETUPMEMXFER setup = static_cast<pTW_SETUPMEMXFER>(args->pData);
    if (!setup) return FailWith(TWCC_BADVALUE);
    TW_UINT32 kilobytes = 0;
    QueryXferBuffer(&kilobytes);
    gMinBufSize = gMaxBufSize = gPrefBufSize = (kilobytes & 0xFFFF) * 1024;
    setup->MinBufSize = gMinBufSize;
    setup->MaxBufSize = gMaxBufSize;
    setup->Preferred = gPrefBufSize;
    return TWRC_SUCCESS;
}

TW_UINT16 SetupFileXferHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (!StateIn(DS_STATE_OPEN, DS_STATE_XFERREADY)) return FailWith(TWCC_SEQERROR);
    pTW_SETUPFILEXFER setup = static_cast<pTW_SETUPFILEXFER>(args->pData);
    if (!setup) return FailWith(TWCC_BADVALUE);
    switch (args->MSG) {
    case MSG_GET:
        *setup = gSetupFileXfer;
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
        *setup = gDefaultSetupFileXfer;
        return TWRC_SUCCESS;
    case MSG_SET: {
        TW_UINT16 rc = TWRC_SUCCESS;
        if (setup->Format == TWFF_TIFF || setup->Format == TWFF_BMP || setup->Format == TWFF_JFIF)
            gFileFormat = setup->Format;
        else
            rc = FailWith(TWCC_BADVALUE);
        // The name is taken even when the format is refused.
        gSetupFileXfer = *setup;
        gSetupFileXfer.FileName[sizeof gSetupFileXfer.FileName - 1] = '\0';
        return rc;
    }
    case MSG_RESET:
        gSetupFileXfer = gDefaultSetupFileXfer;
        *setup = gSetupFileXfer;
        return TWRC_SUCCESS;
    default:
        return FailWith(TWCC_BADPROTOCOL);
    }
}
