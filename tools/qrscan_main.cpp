// qrscan: acquires from a TWAIN data source from the command line, the way
// a script would: pick a source, open it, enable it, wait for an image.
#include <stdio.h>

#include "qrscan_options.h"
#include "qrscan_report.h"
#include "twain_session.h"

namespace {

int ListSources(TwainSession *s) {
    int count = 0;
    TW_UINT16 rc = ForEachSource(s, [&](const TW_IDENTITY &identity) {
        ReportSourceLine(identity);
        ++count;
        return true;
    });
    if (rc != TWRC_SUCCESS && !(s->lastError.hasCC && s->lastError.cc == TWCC_NODS)) {
        ReportError(s->lastError);
        return QRSCAN_TWAIN_FAILURE;
    }
    if (count == 0) ReportNote("no data sources found");
    return QRSCAN_OK;
}

// The image is announced; this is where transfers will go. For now the
// image is described and dropped.
int TakeImage(TwainSession *s) {
    TW_IMAGEINFO info{};
    if (GetImageInfo(s, &info) == TWRC_SUCCESS) ReportImageInfo(info);
    if (ResetTransfers(s) != TWRC_SUCCESS) {
        ReportError(s->lastError);
        return QRSCAN_TWAIN_FAILURE;
    }
    return QRSCAN_OK;
}

int Acquire(TwainSession *s, const QrScanOptions &options) {
    if (SelectSource(s, options.source) != TWRC_SUCCESS) {
        ReportError(s->lastError);
        return QRSCAN_TWAIN_FAILURE;
    }
    ReportIdentity(s->source);
    if (OpenSource(s) != TWRC_SUCCESS || EnableSource(s, options.showUI) != TWRC_SUCCESS) {
        ReportError(s->lastError);
        return QRSCAN_TWAIN_FAILURE;
    }
    switch (WaitForSourceMessage(s, options.timeoutSeconds)) {
    case MSG_XFERREADY:
        return TakeImage(s);
    case MSG_CLOSEDSREQ:
        ReportNote("the data source was closed before an image was ready");
        return QRSCAN_CANCELLED;
    default:
        ReportNote("no image was ready within " + std::to_string(options.timeoutSeconds) + " seconds");
        return QRSCAN_TWAIN_FAILURE;
    }
}

int Run(const QrScanOptions &options) {
    TwainSession session;
    session.verbose = options.verbose;
    session.trace = [](const std::string &text) { ReportNote(text); };
    if (!LoadManager(&session)) {
        ReportError(session.lastError);
        return QRSCAN_TWAIN_FAILURE;
    }
    if (!CreateSessionWindow(&session) && options.verbose) ReportNote("no window: events come by thread message");
    int result = QRSCAN_OK;
    if (OpenManager(&session) != TWRC_SUCCESS) {
        ReportError(session.lastError);
        result = QRSCAN_TWAIN_FAILURE;
    } else {
        result = options.list ? ListSources(&session) : Acquire(&session, options);
    }
    if (!EndSession(&session)) {
        ReportError(session.lastError);
        if (result == QRSCAN_OK) result = QRSCAN_TWAIN_FAILURE;
    }
    return result;
}

}  // namespace

int main(int argc, char **argv) {
    QrScanOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        fprintf(stderr, "qrscan: %s\n", error.c_str());
        fputs("Try 'qrscan --help' for more information.\n", stderr);
        return QRSCAN_USAGE;
    }
    if (options.help) {
        PrintUsage(stdout);
        return QRSCAN_OK;
    }
    return Run(options);
}
