// Handing over the current page: whole as a DIB, or in strips of rows.
#ifndef QR_SIM_TRANSFER_H
#define QR_SIM_TRANSFER_H

#include "scanmodule.h"

// A packed bottom-up DIB of the current page in a moveable global block that
// becomes the caller's. SM_DONE with the handle in *dib; SM_FAILED (and a
// null handle) when there is no page, the depth has no DIB form here, or the
// memory cannot be had.
TW_INT16 SimDeliverDib(HGLOBAL *dib);

// The next strip of the current page: as many whole rows as fit in
// request->Memory.Length bytes of `buffer`. SM_MORE while rows remain,
// SM_DONE with the last strip, SM_FAILED when there is no page or the buffer
// holds no row.
TW_INT16 SimDeliverStrip(TW_IMAGEMEMXFER *request, void *buffer);

#endif
