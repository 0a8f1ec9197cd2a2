// The one reader of the image the application will get. A transfer of a
// queued image begins a read, takes the image block by block as it was
// received or row by row (enlarged when it is enlarged), and ends the read.
// Meanwhile the reader shows the progress dialog, pumps one window message
// per step so that the dialog's Cancel works, and answers XFER_CANCELLED
// once Cancel was pressed.
//
// Every Next... answers XFER_MORE (it gave what was asked, and more follows),
// XFER_DONE (it gave the end of the image), or XFER_CANCELLED or XFER_FAILED
// (it gave nothing); after either of those the transfer ends the read.
//
// A transfer whose reception stopped is never handed over as if whole: the
// roads that hand over a whole image at once (a bitmap, natively or as a BMP
// file) fail; the roads that hand it over piece by piece (memory strips, a
// TIFF file written as it comes) end as cancelled, the memory transfer after
// giving the first block that arrived (StoppedReception).
#ifndef QR_IMAGE_IMAGE_READER_H
#define QR_IMAGE_IMAGE_READER_H

#include "current_image.h"
#include "win32.h"

// How a transfer takes a queued image.
enum class ReadForm : TW_UINT8 {
    Blocks,         // block by block as received (an enlarged image cannot be)
    Rows,           // row by row, colour as red, green, blue
    RowsBlueFirst,  // row by row, colour as blue, green, red: a bitmap's order
};

// One block as it was received: its rows, and where they lie in the image.
struct ImageBlock {
    const TW_UINT8 *data;  // the rows (locked until the next call), or null when copied out
    TW_UINT32 rows;
    TW_UINT32 xOffset, yOffset;
    TW_UINT32 bytes;  // as received: the rows and whatever the scan module left behind them
};

// Starts a read of the queued image: the progress dialog (unless one is
// showing) and, for an enlarged image, its working memory. XFER_MORE when the
// image can be read; XFER_FAILED with nothing taken (the image kept) when the
// memory cannot be had, nothing is left to read, or a read is already open.
TW_INT16 BeginRead(ReadForm form);
bool ReadIsOpen();

// The next block. `into` null: its data stays locked where it lies until the
// next call. Else its bytes (rows and all) are copied into `into`, which holds
// `capacity` bytes: a larger block fails.
TW_INT16 NextBlock(ImageBlock *block, TW_UINT8 *into = nullptr, TW_UINT32 capacity = 0);

// The next `count` rows, each written to dest + i * stride (a bitmap, filled
// bottom-up, gives a negative stride).
TW_INT16 NextRows(TW_UINT8 *dest, long stride, TW_UINT32 count);
// The next row where the reader holds it, valid until the next call.
TW_INT16 NextRow(const TW_UINT8 **row);

// Bytes of one row a row read gives, and the rows it has given so far.
TW_UINT32 ReadRowBytes();
TW_UINT32 RowsRead();

// Ends the read however it went: the dialog closes (showing the end when the
// image is done), the working memory goes, and so does whatever is left of
// the image.
void EndRead(TW_INT16 status);

// The end of a transfer of an image whose reception stopped: the image goes.
// XFER_CANCELLED for a road that hands the image over piece by piece,
// XFER_FAILED for one that hands it over whole. With `first` given, the first
// block that arrived is copied into `into` (holding `capacity` bytes) first,
// when there is one and it fits.
TW_INT16 StoppedReception(bool pieceByPiece, ImageBlock *first = nullptr, TW_UINT8 *into = nullptr,
                          TW_UINT32 capacity = 0);

#endif
