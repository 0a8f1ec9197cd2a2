// Steps of session control shared by several handlers.
#ifndef QR_ENTRY_SESSION_H
#define QR_ENTRY_SESSION_H

// Reads the scanner's settings (GetDefValue) into the capability defaults.
void LoadScannerDefaults();
// Hands the current capability values and the layout's frame to the scan
// module (SetDefValue).
void SendScannerSettings();

// Gives up the current image: its queued blocks, spool file, and whatever a
// memory transfer of it holds open.
void DropImage();

#endif
