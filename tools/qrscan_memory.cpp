// The memory transfer: strips into one buffer of ours, each placed in the
// image at its YOffset, until TWRC_XFERDONE. Every strip is checked against
// the image and the buffer before a byte of it is copied, and the image is
// saved only when every row has come.
#include <string.h>

#include <vector>

#include "qrscan_interrupt.h"
#include "qrscan_progress.h"
#include "qrscan_transfers.h"

namespace {

const TW_UINT32 kDontCare32 = 0xFFFFFFFFu;
const TW_UINT32 kLargestBuffer = 256u << 20;

// Preferred, else the largest the source takes, else the smallest it needs.
bool BufferBytes(const TW_SETUPMEMXFER &setup, TW_UINT32 *bytes, std::string *error) {
    TW_UINT32 size = setup.Preferred;
    if (size == kDontCare32) size = setup.MaxBufSize != kDontCare32 ? setup.MaxBufSize : setup.MinBufSize;
    if (size == 0 || size == kDontCare32 || size > kLargestBuffer) {
        *error = "the data source asks for memory buffers of " + std::to_string(setup.Preferred) +
                 " bytes, which qrscan cannot use";
        return false;
    }
    *bytes = size;
    return true;
}

bool StartImage(const TW_IMAGEINFO &info, RasterImage *image, std::string *error) {
    image->width = info.ImageWidth > 0 ? (uint32_t)info.ImageWidth : 0;
    image->bits = info.BitsPerPixel;
    image->xDpi = info.XResolution.Whole > 0 ? (uint32_t)info.XResolution.Whole : 0;
    image->yDpi = info.YResolution.Whole > 0 ? (uint32_t)info.YResolution.Whole : image->xDpi;
    uint32_t length = info.ImageLength > 0 ? (uint32_t)info.ImageLength : 0;
    if (!RasterSizeIsSane(image->width, length, image->bits)) {
        *error = "qrscan cannot hold an image of " + std::to_string(info.ImageWidth) + " x " +
                 std::to_string(info.ImageLength) + " pixels at " + std::to_string(info.BitsPerPixel) + " bits";
        return false;
    }
    return ResizeRaster(image, length, error);
}

// The strip's rows into the image; FALSE with *error for a strip that does
// not fit the image, the buffer or its own byte count.
bool PlaceStrip(const TW_IMAGEMEMXFER &strip, const uint8_t *buffer, TW_UINT32 bufferBytes, bool openLength,
                RasterImage *image, std::string *error) {
    uint32_t rowBytes = image->RowBytes();
    uint64_t bytes = (uint64_t)strip.Rows * strip.BytesPerRow;
    uint64_t end = (uint64_t)strip.YOffset + strip.Rows;
    std::string where = "a strip at row " + std::to_string(strip.YOffset);
    if (strip.Compression != TWCP_NONE)
        *error = where + " is compressed";
    else if (strip.XOffset != 0 || strip.Columns != image->width)
        *error = where + " does not span the image's width";
    else if (strip.Rows && strip.BytesPerRow < rowBytes)
        *error = where + " has rows shorter than the image's";
    else if (bytes > bufferBytes || bytes > strip.BytesWritten)
        *error = where + " holds more than was written";
    else if (end > image->length && !openLength)
        *error = where + " reaches past the image's last row";
    if (!error->empty()) return false;
    if (end > image->length && !ResizeRaster(image, (uint32_t)end, error)) return false;
    for (uint32_t r = 0; r < strip.Rows; ++r)
        memcpy(image->Row(strip.YOffset + r), buffer + (size_t)r * strip.BytesPerRow, rowBytes);
    return true;
}

// Ctrl-C stops between strips only when the source shows no progress dialog
// to tell; otherwise the source answers a later strip with TWRC_CANCEL (a
// press that could not be posted yet is tried again at the next strip).
bool StopNow() {
    // A request, once made, stays: with it asked first, ForwardInterrupt
    // looks for the dialog unless the request has already reached it.
    if (!InterruptRequested()) return false;
    bool dialogOpen = ForwardInterrupt();
    return !InterruptForwarded() && !dialogOpen;
}

}  // namespace

int TransferMemory(PageJob *job) {
    TW_SETUPMEMXFER setup{};
    if (SourceCall(job->session, "asking for the memory buffer sizes", DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) !=
        TWRC_SUCCESS)
        return TripletFailure(job);
    TW_UINT32 bufferBytes = 0;
    RasterImage image;
    if (!BufferBytes(setup, &bufferBytes, &job->error) || !StartImage(job->info, &image, &job->error))
        return QRSCAN_TWAIN_FAILURE;
    std::vector<uint8_t> buffer(bufferBytes);
    bool openLength = job->info.ImageLength < 0;
    PageProgress progress(job->options->progress, job->page, image.length);
    uint64_t rowsReceived = 0;
    for (;;) {
        TW_IMAGEMEMXFER strip{};
        strip.Compression = 0xFFFF;
        strip.BytesPerRow = strip.Columns = strip.Rows = kDontCare32;
        strip.XOffset = strip.YOffset = strip.BytesWritten = kDontCare32;
        strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
        strip.Memory.Length = bufferBytes;
        strip.Memory.TheMem = buffer.data();
        TW_UINT16 rc = SourceCall(job->session, "the memory transfer", DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        if (rc == TWRC_CANCEL) return QRSCAN_CANCELLED;
        if (rc == TWRC_FAILURE) return TripletFailure(job);
        if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) {
            job->error = "the memory transfer returned " + std::to_string(rc);
            return QRSCAN_TWAIN_FAILURE;
        }
        if (!PlaceStrip(strip, buffer.data(), bufferBytes, openLength, &image, &job->error))
            return QRSCAN_TWAIN_FAILURE;
        rowsReceived += strip.Rows;
        progress.Rows((uint32_t)rowsReceived);
        if (rc == TWRC_XFERDONE) break;
        if (StopNow()) return QRSCAN_CANCELLED;
        if (!openLength && rowsReceived > image.length) {
            job->error = "the memory transfer sent more rows than the image has, and no end";
            return QRSCAN_TWAIN_FAILURE;
        }
    }
    if (InterruptRequested()) return QRSCAN_CANCELLED;
    if (rowsReceived != image.length) {
        job->error = "the memory transfer ended after " + std::to_string(rowsReceived) + " of " +
                     std::to_string(image.length) + " rows";
        return QRSCAN_TWAIN_FAILURE;
    }
    return SaveRaster(job, image);
}
