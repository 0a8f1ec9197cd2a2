// Shared by the platform halves of the interrupt watch.
#ifndef QR_QRSCAN_INTERRUPT_INTERNAL_H
#define QR_QRSCAN_INTERRUPT_INTERNAL_H

// Counts one request and presses Cancel if the dialog is open; returns the
// number of requests so far.
int NoteInterrupt();

// Requests after which qrscan gives up waiting and exits.
const int kInterruptsToQuit = 3;

#endif
