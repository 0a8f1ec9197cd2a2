// State shared by the transfers and by reception.
#include "globals.h"

TW_IMAGEMEMXFER gMemXfer;
TW_UINT32 gMinBufSize, gMaxBufSize, gPrefBufSize;
TW_INT16 gXferStatus;

TW_UINT16 XferReturnCode(TW_INT16 status) {
    if (status == XFER_MORE || status == XFER_DONE) return TWRC_XFERDONE;
    if (status == XFER_CANCELLED) return TWRC_CANCEL;
    return TWRC_FAILURE;
}
