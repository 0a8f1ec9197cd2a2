// The native transfer: one packed DIB in a global block that becomes ours.
// The handle arrives in a pointer-sized slot (a 64-bit source fills all of
// it) and is freed on every path, a cancelled transfer's too.
#include "bmp_file.h"
#include "dib_image.h"
#include "qrscan_interrupt.h"
#include "qrscan_transfers.h"

namespace {

class OwnedDib {
public:
    explicit OwnedDib(HGLOBAL handle) : handle_(handle) {}
    ~OwnedDib() {
        if (!handle_) return;
        if (bytes_) GlobalUnlock(handle_);
        GlobalFree(handle_);
    }
    OwnedDib(const OwnedDib &) = delete;
    OwnedDib &operator=(const OwnedDib &) = delete;

    const uint8_t *Lock(size_t *size) {
        *size = handle_ ? (size_t)GlobalSize(handle_) : 0;
        bytes_ = handle_ ? static_cast<const uint8_t *>(GlobalLock(handle_)) : nullptr;
        return bytes_;
    }

private:
    HGLOBAL handle_;
    const uint8_t *bytes_ = nullptr;
};

int SaveDib(PageJob *job, const DibView &dib) {
    if (job->options->format == QRFORMAT_BMP) {
        if (WriteBmpFromDib(job->outputName, dib, &job->error)) return QRSCAN_OK;
        return QRSCAN_IO_ERROR;
    }
    RasterImage image;
    if (!DibToRaster(dib, &image, &job->error)) return QRSCAN_IO_ERROR;
    return SaveRaster(job, image);
}

}  // namespace

int TransferNative(PageJob *job) {
    TW_UINTPTR slot = 0;
    TW_UINT16 rc = SourceCall(job->session, "the native transfer", DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &slot);
    OwnedDib owned(reinterpret_cast<HGLOBAL>(slot));
    if (rc == TWRC_CANCEL || (rc == TWRC_XFERDONE && InterruptRequested())) return QRSCAN_CANCELLED;
    if (rc == TWRC_FAILURE) return TripletFailure(job);
    if (rc != TWRC_XFERDONE) {
        job->error = "the native transfer returned " + std::to_string(rc) + " instead of TWRC_XFERDONE";
        return QRSCAN_TWAIN_FAILURE;
    }
    size_t size = 0;
    const uint8_t *bytes = owned.Lock(&size);
    DibView dib;
    if (!bytes) {
        job->error = "the native transfer handed over no bitmap";
        return QRSCAN_TWAIN_FAILURE;
    }
    if (!ReadDib(bytes, size, &dib, &job->error)) return QRSCAN_TWAIN_FAILURE;
    return SaveDib(job, dib);
}
