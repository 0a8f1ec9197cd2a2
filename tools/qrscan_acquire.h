// Acquiring: open the source, set it up, enable it, wait for an image, then
// take the pages one by one (DAT_IMAGEINFO, the transfer, MSG_ENDXFER) until
// the source has none left, or after the first unless --batch.
#ifndef QR_QRSCAN_ACQUIRE_H
#define QR_QRSCAN_ACQUIRE_H

#include "qrscan_caps.h"
#include "qrscan_options.h"
#include "twain_session.h"

// A QrScanExit. The session is left for EndSession to step down.
int Acquire(TwainSession *s, const QrScanOptions &options, const std::vector<CapSetting> &settings);
// --all-options: opens the source and lists its capabilities.
int ListSourceCapabilities(TwainSession *s, const QrScanOptions &options);

#endif
