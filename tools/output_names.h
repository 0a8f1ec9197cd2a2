// Output file names: a name with a page-number conversion ("out%d.tif",
// "scan-%03d.bmp") gives one file per page; "%%" is a percent sign.
#ifndef QR_OUTPUT_NAMES_H
#define QR_OUTPUT_NAMES_H

#include <string>

#include "qrscan_options.h"

// FALSE with a sentence in *error when the pattern has a conversion other
// than %d, %Nd, %0Nd (N up to 9) or %%, or more than one %d.
bool CheckOutputPattern(const std::string &pattern, bool *hasPageNumber, std::string *error);
// The name of page `page` (from 1). The pattern must have passed the check.
std::string OutputNameForPage(const std::string &pattern, int page);
// The format a name's extension asks for (.bmp, .tif, .tiff, any case);
// FALSE when the extension says nothing.
bool FormatFromName(const std::string &name, QrFormat *format);

#endif
