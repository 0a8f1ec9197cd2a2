// The native transfer: one packed DIB in a block that becomes ours (global
// memory, or the Source Manager's memory on Linux: a plain pointer). The
// handle arrives in a pointer-sized slot (a 64-bit source fills all of it)
// and is freed on every path, a cancelled transfer's too.
#include "bmp_file.h"
#include "dib_image.h"
#include "qrscan_interrupt.h"
#include "qrscan_transfers.h"

namespace {

class OwnedDib {
public:
    OwnedDib(TwainSession *session, TW_HANDLE handle) : session_(session), handle_(handle) {}
    ~OwnedDib() {
        if (!handle_) return;
        if (bytes_) UnlockHandle(session_, handle_);
        FreeHandle(session_, handle_);
    }
    OwnedDib(const OwnedDib &) = delete;
    OwnedDib &operator=(const OwnedDib &) = delete;

    // The bitmap's bytes, and the block's size (kUnknownSize for a plain
    // pointer: its header then says how far it goes).
    const uint8_t *Lock(size_t *size) {
        bytes_ = static_cast<const uint8_t *>(LockHandle(session_, handle_, size));
        return bytes_;
    }

private:
    TwainSession *session_;
    TW_HANDLE handle_;
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
    OwnedDib owned(job->session, reinterpret_cast<TW_HANDLE>(slot));
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
