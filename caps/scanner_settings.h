// The settings circle with the scan module: its settings become the
// capability defaults when the source opens and after every transfer; the
// negotiated values go back to it when the source is enabled.
#ifndef QR_CAPS_SCANNER_SETTINGS_H
#define QR_CAPS_SCANNER_SETTINGS_H

#include "scanmodule.h"

extern ScanSettings gScannerDefaults;  // what GetDefValue reported last

// Reads the scanner's settings (GetDefValue) into gScannerDefaults alone.
void ReadScannerSettings();
// Reads them into the capability defaults too; a TWAIN 2.4 source then puts
// the defaults TWAIN 2.4 gives over them (ApplyTwain24Defaults).
void LoadScannerDefaults();
// Reads them as the current values: what the user chose in the scan
// module's dialog for the application.
void AdoptScannerSettings();
// Hands the current capability values and the layout's frame to the scan
// module (SetDefValue).
void SendScannerSettings();

#endif
