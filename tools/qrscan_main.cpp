// qrscan: acquires from a TWAIN data source from the command line, the way
// a script would: pick a source, open it, set it up, enable it, and save
// each page it delivers.
#include <stdio.h>

#include "qrscan_acquire.h"
#include "qrscan_interrupt.h"
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

int Work(TwainSession *s, const QrScanOptions &options, const std::vector<CapSetting> &settings) {
    if (options.list) return ListSources(s);
    if (options.listCaps) return ListSourceCapabilities(s, options);
    return Acquire(s, options, settings);
}

int Run(const QrScanOptions &options, const std::vector<CapSetting> &settings) {
    TwainSession session;
    session.verbose = options.verbose;
    session.tracing = options.trace || options.verbose;
    session.trace = [&](const std::string &text) { ReportTrace(text); };
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
        result = Work(&session, options, settings);
    }
    if (!EndSession(&session)) {
        ReportError(session.lastError);
        if (result == QRSCAN_OK) result = QRSCAN_TWAIN_FAILURE;
    }
    return result;
}

int UsageError(const std::string &error) {
    fprintf(stderr, "qrscan: %s\n", error.c_str());
    fputs("Try 'qrscan --help' for more information.\n", stderr);
    return QRSCAN_USAGE;
}

}  // namespace

int main(int argc, char **argv) {
    StartInterruptWatch();
    QrScanOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) return UsageError(error);
    if (options.help) {
        PrintUsage(stdout);
        return QRSCAN_OK;
    }
    std::vector<CapSetting> settings(options.sets.size());
    for (size_t i = 0; i < options.sets.size(); ++i) {
        if (!ParseCapSetting(options.sets[i], &settings[i], &error)) return UsageError(error);
    }
    return Run(options, settings);
}
