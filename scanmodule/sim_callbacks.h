// The data source's two callbacks. The scan module does not link against the
// data source: it finds ReadytoScan and ReadytoCloseSM in the module that
// calls its operations, or else in a loaded "QRVM.ds".
#ifndef QR_SIM_CALLBACKS_H
#define QR_SIM_CALLBACKS_H

// Binds the callbacks from the module holding `returnAddress`, if that module
// exports ReadytoScan. Every operation the data source calls passes its own
// return address, so the binding follows the data source that uses us.
void SimNoteCaller(void *returnAddress);
#define SIM_NOTE_CALLER() SimNoteCaller(__builtin_return_address(0))

// ReadytoScan(0) and ReadytoCloseSM(); false when the data source's callback
// cannot be found.
bool SimAnnounceImage();
bool SimRequestClose();

#endif
