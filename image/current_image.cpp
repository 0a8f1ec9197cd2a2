#include "current_image.h"

#include "image_reader.h"
#include "scan_file.h"
#include "spool.h"

CurrentImage gImage;
TW_IMAGEINFO gImageInfo;
TW_UINT32 gMinBufSize, gMaxBufSize, gPrefBufSize;

void DiscardImage() {
    if (ReadIsOpen()) EndRead(XFER_FAILED);
    DiscardImageData();
    CloseScanFile(TRUE);
    gImage.fromScanFile = false;
    gImage.where = ImageWhere::None;
    gImage.outcome = ImageOutcome::Gone;
}
