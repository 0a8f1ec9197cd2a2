// An assembled image to the page's file, in the format asked for.
#include "bmp_file.h"
#include "qrscan_transfers.h"
#include "tiff_file.h"

int SaveRaster(PageJob *job, const RasterImage &image) {
    bool ok = job->options->format == QRFORMAT_TIFF ? WriteTiff(job->outputName, image, &job->error)
                                                    : WriteBmpFromRaster(job->outputName, image, &job->error);
    return ok ? QRSCAN_OK : QRSCAN_IO_ERROR;
}
