// The settings circle with the scan module: its settings become the
// capability defaults when the source opens and after every transfer; the
// negotiated values go back to it when the source is enabled.
#ifndef QR_CAPS_SCANNER_SETTINGS_H
#define QR_CAPS_SCANNER_SETTINGS_H

#include "scanmodule.h"

extern ScanSettings gScannerDefaults;  // what GetDefValue reported last

// Reads the scanner's settings (GetDefValue) into the capability defaults.
void LoadScannerDefaults();
// Hands the current capability values and the layout's frame to the scan
// module (SetDefValue).
void SendScannerSettings();

#endif
