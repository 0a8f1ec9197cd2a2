// The file mode of the memory transfer: a scan module that cannot deliver
// blocks writes the whole image as a TIFF file, and memory strips read it
// back. The file's entries start at offset 12, two bytes after their count.
#ifndef QR_IMAGE_SCAN_FILE_H
#define QR_IMAGE_SCAN_FILE_H

#include "current_image.h"

// Asks the scan module how it delivers: blocks of `*kilobytes` KB (nonzero
// result), or the whole image as a file, written now, named by the file
// set-up, and read by the memory transfer from then on.
int QueryXferBuffer(TW_UINT32 *kilobytes);

// The next strip of that file into `buffer`, which holds `capacity` bytes,
// described in `strip`: XFER_MORE, XFER_DONE at the last (the file is then
// deleted), XFER_BUFFER_TOO_SMALL when not one row fits, XFER_FAILED.
TW_INT16 ReadFileStrip(TW_IMAGEMEMXFER *strip, void *buffer, TW_UINT32 capacity);

// Closes the scan module's file, and deletes it when `remove` is set.
void CloseScanFile(BOOL remove);

#endif
