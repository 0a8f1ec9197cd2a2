// What qrscan tells its user: results on stdout, steps and errors on stderr.
#ifndef QR_QRSCAN_REPORT_H
#define QR_QRSCAN_REPORT_H

#include <string>

#include "twain.h"
#include "twain_session.h"

void ReportIdentity(const TW_IDENTITY &identity);
// One line per source for --list.
void ReportSourceLine(const TW_IDENTITY &identity);
void ReportImageInfo(const TW_IMAGEINFO &info);
// "qrscan: opening the data source failed: TWRC_FAILURE, TWCC_SEQERROR
// (operation not allowed in the current state)".
void ReportError(const TwainError &error);
void ReportNote(const std::string &text);

#endif
