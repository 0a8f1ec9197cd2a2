// The buffered memory transfer: the image in strips, one per call, into the
// application's buffers: from the scan module's file, from the queue (a block
// per strip, or a run of enlarged rows), or straight from the scan module.
#ifndef QR_XFER_MEM_XFER_H
#define QR_XFER_MEM_XFER_H

#include "image/current_image.h"

// The next strip into `buffer`, which holds `capacity` bytes; `strip` comes
// back describing it. XFER_MORE (more strips follow), XFER_DONE (the last),
// XFER_CANCELLED, XFER_FAILED, or XFER_BUFFER_TOO_SMALL (nothing taken).
TW_INT16 MemXferStrip(TW_IMAGEMEMXFER *strip, TW_UINT8 *buffer, TW_UINT32 capacity);

#endif
