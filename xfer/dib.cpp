#include "dib.h"

#include "afx.h"
#include "image/current_image.h"
#include "image/image_size.h"

#include <string.h>

static const TW_UINT32 kHeaderSize = sizeof(BITMAPINFOHEADER);

TW_UINT16 DibNumColors(const BITMAPINFOHEADER &header) {
    switch (header.biBitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

TW_UINT32 PaletteSize(const BITMAPINFOHEADER &header) { return DibNumColors(header) * (TW_UINT32)sizeof(RGBQUAD); }

TW_UINT32 DibRowBytes(const BITMAPINFOHEADER &header) {
    TW_UINT32 bytes = 0;
    if (header.biWidth <= 0 || !CheckedPaddedRowBytes((TW_UINT32)header.biWidth, header.biBitCount, &bytes)) return 0;
    return bytes;
}

// The image bytes of the header's geometry, or 0 when it has none or too many.
static TW_UINT32 ImageBytes(const BITMAPINFOHEADER &header) {
    TW_UINT32 bytes = 0;
    if (header.biHeight <= 0 || !CheckedProduct(DibRowBytes(header), (TW_UINT32)header.biHeight, &bytes)) return 0;
    return bytes;
}

size_t DibTotalSize(const BITMAPINFOHEADER &header) {
    TW_UINT32 image = ImageBytes(header), front = 0, total = 0;
    if (image == 0 || !CheckedSum(header.biSize, PaletteSize(header), &front) || !CheckedSum(front, image, &total))
        return 0;
    return total;
}

static void FillHeader(BITMAPINFOHEADER &header) {
    memset(&header, 0, sizeof header);
    header.biSize = kHeaderSize;
    header.biWidth = gImageInfo.ImageWidth;
    header.biHeight = gImageInfo.ImageLength;  // positive: rows bottom-up
    header.biPlanes = 1;
    header.biBitCount = (WORD)gImageInfo.BitsPerPixel;
    header.biCompression = BI_RGB;
    header.biSizeImage = (DWORD)ImageBytes(header);
    header.biXPelsPerMeter = gImageInfo.XResolution.Whole * 10000 / 254;
    header.biYPelsPerMeter = gImageInfo.YResolution.Whole * 10000 / 254;
    header.biClrUsed = DibNumColors(header);
    header.biClrImportant = 0;
}

// Black and white (white's reserved byte 255), or 256 greys.
static bool WritePalette(RGBQUAD *palette, WORD bitCount) {
    switch (bitCount) {
    case 1:
        palette[0] = {0, 0, 0, 0};
        palette[1] = {255, 255, 255, 255};
        return true;
    case 8:
        for (int i = 0; i < 256; ++i) palette[i] = {(BYTE)i, (BYTE)i, (BYTE)i, 0};
        return true;
    case 24:
        return true;
    default:
        return false;
    }
}

HGLOBAL BuildDibHeader() {
    BITMAPINFOHEADER header;
    FillHeader(header);
    if (header.biSizeImage == 0) return nullptr;  // no image, or too large for one block
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kHeaderSize + PaletteSize(header));
    TW_UINT8 *data = dib ? static_cast<TW_UINT8 *>(GlobalLock(dib)) : nullptr;
    if (!data) {
        if (dib) GlobalFree(dib);
        AfxMessageBox("GlobalAlloc fail");
        return nullptr;
    }
    memcpy(data, &header, kHeaderSize);
    bool known = WritePalette(reinterpret_cast<RGBQUAD *>(data + kHeaderSize), header.biBitCount);
    GlobalUnlock(dib);
    if (!known) {
        GlobalFree(dib);
        AfxMessageBox("switch fail");
        return nullptr;
    }
    return dib;
}

int ReadDibBitmapInfo(HGLOBAL dib, BITMAPINFOHEADER *header) {
    if (!dib) return 0;
    const void *data = GlobalLock(dib);
    if (!data) return 0;
    memcpy(header, data, kHeaderSize);
    GlobalUnlock(dib);
    if (header->biSizeImage == 0) header->biSizeImage = (DWORD)ImageBytes(*header);
    if (header->biClrUsed == 0) header->biClrUsed = DibNumColors(*header);
    return 1;
}
