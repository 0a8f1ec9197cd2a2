#include "sim_pattern.h"
#include "sim_transfer.h"

TW_INT16 SimDeliverStrip(TW_IMAGEMEMXFER *request, void *buffer) {
    if (!request || !buffer) return SM_FAILED;
    const SimImage *image = SimCurrentImage();
    if (!image || image->rowBytes == 0) return SM_FAILED;
    int32_t rowsLeft = image->length - gSimJob.rowsSent;
    uint32_t fit = request->Memory.Length / image->rowBytes;
    if (fit == 0 || rowsLeft <= 0) return SM_FAILED;
    int32_t rows = fit < (uint32_t)rowsLeft ? (int32_t)fit : rowsLeft;
    TW_INT16 status = SimCountBlock();
    if (status != SM_MORE) return status;

    uint8_t *out = (uint8_t *)buffer;
    for (int32_t i = 0; i < rows; ++i)
        SimRenderRow(*image, gSimJob.rowsSent + i, false, out + (uint64_t)i * image->rowBytes);
    request->Compression = TWCP_NONE;
    request->BytesPerRow = image->rowBytes;
    request->Columns = (TW_UINT32)image->width;
    request->Rows = (TW_UINT32)rows;
    request->XOffset = 0;
    request->YOffset = (TW_UINT32)gSimJob.rowsSent;
    request->BytesWritten = (TW_UINT32)rows * image->rowBytes;
    gSimJob.rowsSent += rows;
    if (gSimJob.rowsSent < image->length) return SM_MORE;
    SimPageDelivered();
    return SM_DONE;
}
