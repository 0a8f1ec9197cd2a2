// Reception of an image whose length the scan module cannot state in
// advance: the whole image is pulled into the queue and the spool file
// before the application is told, and enlargement is set up when the scan
// module scanned at a lower resolution than was asked for.
#ifndef QR_IMAGE_RECEPTION_H
#define QR_IMAGE_RECEPTION_H

#include "queue.h"

extern BOOL gBufferedImage;  // the current image lies in the queue
extern BOOL gReceiveFailed;  // its reception was cancelled or failed
extern BOOL gImageReceived;  // it was received whole and no transfer has begun
extern BOOL gScaleMode;      // it is enlarged on transfer
extern TW_INT32 gScaleNum, gScaleDen;  // reduced ratio requested / scanned
extern TW_UINT16 gSourceWidth, gSourceLength;
extern TW_UINT16 gScaledWidth, gScaledLength;
extern TW_UINT16 gBlocksAvailable;

// Entries of the enlargement's ruler: one per output pixel or line,
// whichever are more.
inline TW_INT32 ScaleRulerEntries() { return gScaledWidth >= gScaledLength ? gScaledWidth : gScaledLength; }

// Pulls the whole image: 1 complete, 2 cancelled, -1 failed.
TW_INT16 ReceiveBufferedImage();
// What ReadytoScan does once the scan module has described the image.
void ReceiveAnnouncedImage();

// Walks the queued image one source line at a time: (null, bytes) starts,
// (last line, bytes) gives the next, (null, 0) ends and frees what is left.
void *GetOneLine(void *previous, TW_UINT32 lineBytes);

#endif
