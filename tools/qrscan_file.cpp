// The file transfer: the data source writes the file we name. A transfer
// that does not finish must leave no file; if the source leaves one that was
// not there before, qrscan removes it and says so.
#include <stdio.h>
#include <string.h>

#include "qrscan_interrupt.h"
#include "qrscan_report.h"
#include "qrscan_transfers.h"

namespace {

bool FileExists(const std::string &name) {
    FILE *file = fopen(name.c_str(), "rb");
    if (file) fclose(file);
    return file != nullptr;
}

void RemoveLeftover(const std::string &name, bool existedBefore) {
    if (existedBefore || !FileExists(name)) return;
    remove(name.c_str());
    ReportNote("removed " + name + ", which the data source left after a transfer that did not finish");
}

}  // namespace

int TransferFile(PageJob *job) {
    TW_SETUPFILEXFER setup{};
    if (job->outputName.size() >= sizeof setup.FileName) {
        job->error = "the output name " + job->outputName + " is longer than TWAIN's 255 characters";
        return QRSCAN_IO_ERROR;
    }
    memcpy(setup.FileName, job->outputName.c_str(), job->outputName.size() + 1);
    setup.Format = job->options->format == QRFORMAT_TIFF ? TWFF_TIFF : TWFF_BMP;
    bool existed = FileExists(job->outputName);
    if (SourceCall(job->session, "naming the output file", DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) !=
        TWRC_SUCCESS)
        return TripletFailure(job);
    TW_UINT16 rc = SourceCall(job->session, "the file transfer", DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    if (rc == TWRC_XFERDONE && InterruptRequested()) {
        remove(job->outputName.c_str());  // the page was asked off: no file of it stays
        return QRSCAN_CANCELLED;
    }
    if (rc == TWRC_XFERDONE) {
        if (FileExists(job->outputName)) return QRSCAN_OK;
        job->error = "the data source reported " + job->outputName + " written, but there is no such file";
        return QRSCAN_TWAIN_FAILURE;
    }
    RemoveLeftover(job->outputName, existed);
    if (rc == TWRC_CANCEL) return QRSCAN_CANCELLED;
    if (rc == TWRC_FAILURE) return TripletFailure(job);
    job->error = "the file transfer returned " + std::to_string(rc);
    return QRSCAN_TWAIN_FAILURE;
}
