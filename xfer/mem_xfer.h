// The buffered memory transfer: the image in strips, one per call, into the
// application's buffers.
#ifndef QR_XFER_MEM_XFER_H
#define QR_XFER_MEM_XFER_H

#include "globals.h"

class ProgressDialog;

extern void *gXferBuffer;          // where the current strip goes
extern BOOL gScanFileMode;         // the scan module delivers this image as a TIFF file
// What became of writing and opening that file: 0 its strips can be read;
// kept apart from gXferStatus, which any later transfer overwrites.
extern TW_INT16 gScanFileStatus;
struct ProgressCount;
extern ProgressCount gXferProgress;  // strips delivered, and whether Cancel was pressed
extern ProgressDialog *gpProgressDlg;

// Asks the scan module how it delivers: blocks of `*kilobytes` KB (nonzero
// result), or the whole image as a file, written now.
int QueryXferBuffer(TW_UINT32 *kilobytes);

// The scan module's file: its header read, positioned at the image data; 0
// when it cannot be used.
int ScanFileHeader();
// The next strip of that file into gXferBuffer, at most `capacity` bytes.
TW_UINT16 ReadFileStrip(TW_UINT32 capacity);
// Closes the scan module's file, and deletes it when `remove` is set.
void CloseScanFile(BOOL remove);

// Strip producers for a queued image: 0 more strips follow, 1 last, -1 failed.
void PrepareQueuedXfer();
// `capacity`: the bytes dest holds; a larger block fails the strip.
TW_INT16 QueueStrip(TW_IMAGEMEMXFER *record, TW_UINT8 *dest, TW_UINT32 capacity);
TW_INT16 ScaledStrip(TW_IMAGEMEMXFER *record, TW_UINT8 *dest);
// Ends the queued image of a memory transfer: its dialog and working memory.
void EndQueuedXfer(TW_UINT16 rc);

// Everything a memory transfer left open when the image is given up.
void AbandonMemoryXfer();

#endif
