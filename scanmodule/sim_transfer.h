// Handing over the current page: whole as a DIB, in strips of rows, or as a
// file.
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

// The current page written to setup->FileName. Mode 1: the application's
// file, a BMP or TIFF by setup->Format (other formats fail). Mode 0: the TIFF
// a memory transfer reads back. Once the file is whole: SM_DONE in mode 1,
// SM_MORE (0) in mode 0, the one answer on which the data source goes on to
// read the file. SM_CANCELLED
// or SM_FAILED (the configured cancel or failure, a format or depth the file
// cannot hold, a file that cannot be written) leave no file behind.
TW_INT16 SimDeliverFile(const TW_SETUPFILEXFER *setup, TW_UINT32 mode);

#endif
