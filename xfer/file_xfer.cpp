// DG_CONTROL / DAT_SETUPFILEXFER and DG_IMAGE / DAT_IMAGEFILEXFER: the image
// as a BMP or TIFF file of the application's choosing. The scan module writes
// the file of an image it delivers directly; the data source writes a queued
// one.
#include "bmp_writer.h"
#include "caps/store.h"
#include "entry/dispatch.h"
#include "file_setup.h"
#include "image/reception.h"
#include "image/scaling.h"
#include "startup/scan_module.h"
#include "tiff_writer.h"

#include "afx.h"

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

static TW_INT16 WriteByFormat(HFILE file) {
    if (gFileFormat == TWFF_BMP) return WriteBmpFile(file);
    if (gFileFormat != TWFF_TIFF) return XFER_FAILED;  // a format the source cannot write
    if (!gScaleMode) {
        TW_INT16 status = WriteTiffFromQueue(file);
        gImageInfo.XResolution.Frac = 0;
        return status;
    }
    TW_INT16 status = WriteTiffScaled(file);
    MoveRequestedResolution();
    return status;
}

TW_INT16 WriteImageFile(const char *fileName) {
    HFILE file = _lcreat(fileName, 0);
    if (file == HFILE_ERROR) {
        AfxMessageBox("Error!\n Cannot Create File.");
        return XFER_FAILED;
    }
    TW_INT16 status = WriteByFormat(file);
    _lclose(file);
    // A failed or cancelled transfer leaves no file behind.
    if (status != XFER_DONE) DeleteFileA(fileName);
    return status;
}

TW_UINT16 ImageFileXferHandler(TripletArgs *) {
    gConditionCode = TWCC_SUCCESS;
    if (gDSState != DS_STATE_XFERREADY) return FailWith(TWCC_SEQERROR);
    if (!gBufferedImage)
        gXferStatus = ScanModuleOps.GetSMImage_File(&gSetupFileXfer, 1);
    else
        gXferStatus = WriteImageFile(gSetupFileXfer.FileName);
    TW_UINT16 rc = XferReturnCode(gXferStatus);
    if (rc == TWRC_FAILURE) return FailWith(TWCC_OPERATIONERROR);
    gXferReady = FALSE;
    gDSState = DS_STATE_XFERRING;
    return rc;
}
