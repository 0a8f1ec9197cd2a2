// DG_CONTROL / DAT_SETUPMEMXFER: the buffer sizes the application must offer.
#include "entry/dispatch.h"
#include "file_setup.h"
#include "mem_xfer.h"
#include "startup/scan_module.h"

int QueryXferBuffer(TW_UINT32 *kilobytes) {
    int blocks = ScanModuleOps.CkUseBufXfer(kilobytes);
    if (blocks) return blocks;
    gScanFileMode = TRUE;
    CloseScanFile(TRUE);  // the file of an earlier request, before the new one is written
    gXferStatus = ScanModuleOps.GetSMImage_File(&gSetupFileXfer, 0);
    // Both success statuses mean the file was written: it is read back.
    if (gXferStatus == XFER_DONE) gXferStatus = XFER_MORE;
    if (gXferStatus == XFER_MORE && !ScanFileHeader()) gXferStatus = XFER_FAILED;
    // A file that will never be read goes now: nothing else would delete it.
    if (gXferStatus != XFER_MORE) DeleteFileA(gSetupFileXfer.FileName);
    gScanFileStatus = gXferStatus;
    return 0;
}

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
