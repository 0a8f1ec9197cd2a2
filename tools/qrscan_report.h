// What qrscan tells its user: results on stdout, steps and errors on stderr.
#ifndef QR_QRSCAN_REPORT_H
#define QR_QRSCAN_REPORT_H

#include <string>

#include "twain.h"
#include "twain_session.h"

void ReportIdentity(const TW_IDENTITY &identity);
// One line per source for --list.
void ReportSourceLine(const TW_IDENTITY &identity);
// "Page 2:        850 x 1100 pixels, 8 bits per pixel, grey, 100 dpi".
void ReportImageInfo(int page, const TW_IMAGEINFO &info);
void ReportSaved(const std::string &name);
// "qrscan: opening the data source failed: TWRC_FAILURE, TWCC_SEQERROR
// (operation not allowed in the current state)".
void ReportError(const TwainError &error);
void ReportNote(const std::string &text);
// A line of the --trace.
void ReportTrace(const std::string &text);

#endif
