// The packed device-independent bitmap of the native transfer: header,
// palette, then the rows bottom-up, each padded to four bytes.
#ifndef QR_XFER_DIB_H
#define QR_XFER_DIB_H

#include "twain.h"
#include "win32.h"

// 2, 16 or 256 palette entries for 1, 4 and 8 bits; none otherwise.
TW_UINT16 DibNumColors(const BITMAPINFOHEADER &header);
TW_UINT32 PaletteSize(const BITMAPINFOHEADER &header);
// Bytes of one padded row; 0 when the row cannot be sized.
TW_UINT32 DibRowBytes(const BITMAPINFOHEADER &header);

// A global block with the header and palette of the image gImageInfo
// describes, unlocked; null (after its message) when it cannot be made.
HGLOBAL BuildDibHeader();
// The header out of a bitmap block, with its derived sizes filled in; 0 when
// there is no block.
int ReadDibBitmapInfo(HGLOBAL dib, BITMAPINFOHEADER *header);

// The header, palette and image together; 0 when it does not fit in memory.
size_t DibTotalSize(const BITMAPINFOHEADER &header);

#endif
