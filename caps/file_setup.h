// The file-transfer set-up: where and in which format a file transfer writes.
#ifndef QR_CAPS_FILE_SETUP_H
#define QR_CAPS_FILE_SETUP_H

#include "twain.h"

extern TW_SETUPFILEXFER gSetupFileXfer;
extern TW_SETUPFILEXFER gDefaultSetupFileXfer;

// Builds the default set-up (QRX5168.TIF in the temporary folder, the default
// file format) and makes it the current one.
void InitDefaultFileXfer();

#endif
