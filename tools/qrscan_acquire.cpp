#include "qrscan_acquire.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "output_names.h"
#include "qrscan_interrupt.h"
#include "qrscan_report.h"
#include "qrscan_transfers.h"

namespace {

int TwainFailure(TwainSession *s) {
    ReportError(s->lastError);
    return QRSCAN_TWAIN_FAILURE;
}

int OpenChosenSource(TwainSession *s, const QrScanOptions &options) {
    if (SelectSource(s, options.source) != TWRC_SUCCESS) return TwainFailure(s);
    ReportIdentity(s->source);
    if (OpenSource(s) != TWRC_SUCCESS) return TwainFailure(s);
    return QRSCAN_OK;
}

TW_UINT16 XferMechValue(QrXfer xfer) {
    return xfer == QRXFER_MEMORY ? TWSX_MEMORY : xfer == QRXFER_FILE ? TWSX_FILE : TWSX_NATIVE;
}

// --xfer first, so that a --set of ICAP_XFERMECH has the last word. The
// mechanism matters only when an image is to travel.
int SetUp(TwainSession *s, const QrScanOptions &options, const std::vector<CapSetting> &settings) {
    std::vector<CapSetting> all;
    if (!options.output.empty()) all.push_back({ICAP_XFERMECH, std::to_string(XferMechValue(options.xfer))});
    all.insert(all.end(), settings.begin(), settings.end());
    for (const CapSetting &setting : all) {
        std::string error;
        if (ApplyCapSetting(s, setting, &error)) continue;
        if (!error.empty()) {
            ReportNote(error);
            return QRSCAN_USAGE;
        }
        return TwainFailure(s);
    }
    return QRSCAN_OK;
}

// Before the scanner works for nothing: can the page's file be written?
bool CanWrite(const std::string &name, std::string *error) {
    FILE *probe = fopen(name.c_str(), "rb");
    bool existed = probe != nullptr;
    if (probe) fclose(probe);
    probe = fopen(name.c_str(), "ab");
    if (!probe) {
        *error = "cannot write " + name + ": " + strerror(errno);
        return false;
    }
    fclose(probe);
    if (!existed) remove(name.c_str());
    return true;
}

int Transfer(PageJob *job) {
    switch (job->options->xfer) {
    case QRXFER_MEMORY:
        return TransferMemory(job);
    case QRXFER_FILE:
        return TransferFile(job);
    default:
        return TransferNative(job);
    }
}

// One page in state 6: described, and transferred and saved when there is
// an output name.
int TakePage(TwainSession *s, const QrScanOptions &options, int page) {
    PageJob job{s, &options, page, "", {}, "", false};
    if (GetImageInfo(s, &job.info) != TWRC_SUCCESS) return TwainFailure(s);
    ReportImageInfo(page, job.info);
    if (options.output.empty()) return QRSCAN_OK;
    job.outputName = OutputNameForPage(options.output, page);
    if (!CanWrite(job.outputName, &job.error)) {
        ReportNote(job.error);
        return QRSCAN_IO_ERROR;
    }
    int result = Transfer(&job);
    if (result == QRSCAN_OK)
        ReportSaved(job.outputName);
    else if (result == QRSCAN_CANCELLED)
        ReportNote("page " + std::to_string(page) + " was cancelled");
    else if (job.tripletFailed)
        ReportError(s->lastError);
    else
        ReportNote(job.error);
    return result;
}

// After a page that did not end well: the image ended, and the rest dropped.
void DropTheRest(TwainSession *s) {
    TW_UINT16 count = 0;
    if (EndTransfer(s, &count) == TWRC_SUCCESS && count == 0) return;
    ResetTransfers(s);
}

int TakePages(TwainSession *s, const QrScanOptions &options) {
    s->imagePending = true;
    for (int page = 1;; ++page) {
        int result = TakePage(s, options, page);
        if (result == QRSCAN_OK && InterruptRequested()) result = QRSCAN_CANCELLED;
        if (result != QRSCAN_OK) {
            DropTheRest(s);
            return result;
        }
        TW_UINT16 count = 0;
        if (EndTransfer(s, &count) != TWRC_SUCCESS) return TwainFailure(s);
        if (count == 0) return QRSCAN_OK;
        if (!options.batch) return ResetTransfers(s) == TWRC_SUCCESS ? QRSCAN_OK : TwainFailure(s);
    }
}

}  // namespace

int Acquire(TwainSession *s, const QrScanOptions &options, const std::vector<CapSetting> &settings) {
    int result = OpenChosenSource(s, options);
    if (result == QRSCAN_OK) result = SetUp(s, options, settings);
    if (result != QRSCAN_OK) return result;
    if (EnableSource(s, options.showUI) != TWRC_SUCCESS) return TwainFailure(s);
    switch (WaitForSourceMessage(s, options.timeoutSeconds, InterruptRequested)) {
    case MSG_XFERREADY:
        return TakePages(s, options);
    case MSG_CLOSEDSREQ:
        ReportNote("the data source was closed before an image was ready");
        return QRSCAN_CANCELLED;
    default:
        if (InterruptRequested()) {
            ReportNote("cancelled before an image was ready");
            return QRSCAN_CANCELLED;
        }
        ReportNote("no image was ready within " + std::to_string(options.timeoutSeconds) + " seconds");
        return QRSCAN_TWAIN_FAILURE;
    }
}

int ListSourceCapabilities(TwainSession *s, const QrScanOptions &options) {
    int result = OpenChosenSource(s, options);
    if (result == QRSCAN_OK) ListCapabilities(s);
    return result;
}
