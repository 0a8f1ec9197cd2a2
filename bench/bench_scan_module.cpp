// The benchmarks' scan module (see bench_scan_module.h). Loaded by the data
// source as qvsmod.dll from the benchmark's own folder.
#include "bench_scan_module.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

#define SM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

BenchImage gImage;
ReadytoScanProc gpReadytoScan;
TW_UINT32 gRowBytes;             // one unpadded row as scanned
TW_UINT32 gRunRows;              // rows one copy may take from gRows
std::vector<TW_UINT8> gRows;     // pattern rows, repeated so that a run never wraps
std::vector<TW_UINT8> gDibRows;  // the same rows as a bitmap holds them
TW_UINT32 gStride;               // one padded bitmap row
TW_UINT32 gRowsDelivered;        // of the current image
unsigned long long gBytesDelivered;

TW_UINT32 RowBytesOf(TW_UINT32 width, TW_UINT32 bits) { return (TW_UINT32)(((uint64_t)width * bits + 7) / 8); }

// A run of `rows` image rows from row `first` on, copied in runs.
void CopyRows(TW_UINT8 *out, TW_UINT32 first, TW_UINT32 rows) {
    while (rows > 0) {
        TW_UINT32 take = rows < gRunRows ? rows : gRunRows;
        memcpy(out, gRows.data() + (size_t)(first % kPatternRows) * gRowBytes, (size_t)take * gRowBytes);
        out += (size_t)take * gRowBytes;
        first += take;
        rows -= take;
    }
}

void FillInfo(TW_IMAGEINFO *info) {
    memset(info, 0, sizeof *info);
    info->XResolution.Whole = gImage.scannedDpi;
    info->XResolution.Frac = gImage.requestedDpi;
    info->YResolution.Whole = gImage.scannedDpi;
    info->ImageWidth = gImage.width;
    info->ImageLength = gImage.openLength ? -1 : gImage.length;
    info->BitsPerPixel = gImage.bits;
    info->SamplesPerPixel = gImage.bits == 24 ? 3 : 1;
    for (int i = 0; i < info->SamplesPerPixel; ++i) info->BitsPerSample[i] = gImage.bits == 1 ? 1 : 8;
    info->Planar = FALSE;
    info->PixelType = gImage.bits == 1 ? TWPT_BW : gImage.bits == 8 ? TWPT_GRAY : TWPT_RGB;
    info->Compression = TWCP_NONE;
}

TW_UINT32 BlockBytes() { return gImage.blockKilobytes * 1024; }

// As many whole rows as `capacity` holds, up to the end of the image.
TW_INT16 Deliver(TW_IMAGEMEMXFER *request, void *buffer, TW_UINT32 capacity) {
    TW_UINT32 left = (TW_UINT32)gImage.length - gRowsDelivered;
    TW_UINT32 rows = capacity / gRowBytes;
    if (rows > left) rows = left;
    if (rows == 0) return SM_FAILED;
    CopyRows(static_cast<TW_UINT8 *>(buffer), gRowsDelivered, rows);
    request->Compression = TWCP_NONE;
    request->BytesPerRow = gRowBytes;
    request->Columns = (TW_UINT32)gImage.width;
    request->Rows = rows;
    request->XOffset = 0;
    request->YOffset = gRowsDelivered;
    request->BytesWritten = rows * gRowBytes;
    gRowsDelivered += rows;
    gBytesDelivered += (unsigned long long)rows * gRowBytes;
    return rows == left ? SM_DONE : SM_MORE;
}

void Put16(TW_UINT8 *at, TW_UINT16 v) {
    at[0] = (TW_UINT8)v;
    at[1] = (TW_UINT8)(v >> 8);
}
void Put32(TW_UINT8 *at, TW_UINT32 v) {
    for (int i = 0; i < 4; ++i) at[i] = (TW_UINT8)(v >> (8 * i));
}

// The file of the memory transfer's file mode: a little-endian TIFF whose
// entries start at offset 12, two bytes after their count, then the rows.
TW_INT16 WriteScanFile(const char *name) {
    HFILE file = _lcreat(name, 0);
    if (file == HFILE_ERROR) return SM_FAILED;
    const TW_UINT16 count = 5;
    TW_UINT8 head[12 + 12 * count] = {'I', 'I'};
    Put16(head + 2, 42);
    Put32(head + 4, 8);
    Put16(head + 8, count);
    struct {
        TW_UINT16 tag, type;
        TW_UINT32 value;
    } const entries[count] = {{256, 4, (TW_UINT32)gImage.width},
                              {257, 4, (TW_UINT32)gImage.length},
                              {259, 3, 1},
                              {277, 3, gImage.bits == 24 ? 3u : 1u},
                              {273, 4, (TW_UINT32)sizeof head}};
    for (int i = 0; i < count; ++i) {
        TW_UINT8 *entry = head + 12 + 12 * i;
        Put16(entry, entries[i].tag);
        Put16(entry + 2, entries[i].type);
        Put32(entry + 4, 1);
        Put32(entry + 8, entries[i].value);
    }
    bool written = _lwrite(file, reinterpret_cast<const char *>(head), sizeof head) == sizeof head;
    // The rows go out a block's worth at a time, as a scanner's would.
    for (TW_UINT32 row = 0; written && row < (TW_UINT32)gImage.length;) {
        TW_UINT32 rows = gRunRows < (TW_UINT32)gImage.length - row ? gRunRows : (TW_UINT32)gImage.length - row;
        const char *data = reinterpret_cast<const char *>(gRows.data() + (size_t)(row % kPatternRows) * gRowBytes);
        UINT bytes = rows * gRowBytes;
        written = _lwrite(file, data, bytes) == bytes;
        gBytesDelivered += bytes;
        row += rows;
    }
    _lclose(file);
    return written ? SM_MORE : SM_FAILED;
}

}  // namespace

SM_EXPORT BOOL BenchSM_SetImage(const BenchImage *image) {
    gImage = *image;
    gRowBytes = RowBytesOf((TW_UINT32)image->width, (TW_UINT32)image->bits);
    TW_UINT32 blockRows = gRowBytes ? BlockBytes() / gRowBytes : 0;
    gRunRows = blockRows > 1 ? blockRows : 1;
    gRowsDelivered = 0;
    gBytesDelivered = 0;
    if (gRowBytes == 0) return FALSE;
    try {
        gRows.resize((size_t)(kPatternRows + gRunRows) * gRowBytes);
        for (TW_UINT32 r = 0; r < kPatternRows + gRunRows; ++r)
            for (TW_UINT32 b = 0; b < gRowBytes; ++b)
                gRows[(size_t)r * gRowBytes + b] = BenchPatternByte(r % kPatternRows, b);
        // Bitmap rows: padded to four bytes, colour turned blue first.
        gStride = ((TW_UINT32)image->width * (TW_UINT32)image->bits + 31) / 32 * 4;
        gDibRows.assign((size_t)kPatternRows * gStride, 0);
        for (TW_UINT32 r = 0; r < kPatternRows; ++r)
            for (TW_UINT32 b = 0; b < gRowBytes; ++b) {
                TW_UINT32 from = image->bits == 24 ? b / 3 * 3 + 2 - b % 3 : b;
                gDibRows[(size_t)r * gStride + b] = BenchPatternByte(r, from);
            }
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

SM_EXPORT unsigned long long BenchSM_BytesDelivered() { return gBytesDelivered; }

SM_EXPORT int GetProductName(char *name, TW_UINT16, TW_UINT16 *major, TW_UINT16 *minor, char *manufacturer,
                             char *family, char *version) {
    // The data source that calls us is the one to announce images to.
    HMODULE caller = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(__builtin_return_address(0)), &caller))
        gpReadytoScan =
            reinterpret_cast<ReadytoScanProc>(reinterpret_cast<void (*)(void)>(GetProcAddress(caller, "ReadytoScan")));
    strcpy(name, "Bench Flatbed");
    strcpy(manufacturer, "Bench");
    strcpy(family, "Bench");
    strcpy(version, "1.0");
    *major = 1;
    *minor = 0;
    return 1;
}

SM_EXPORT int ConnectScanner(TW_UINT32 mode) { return mode == 0 ? 1 : 0; }

SM_EXPORT int GetDefValue(ScanSettings *settings) {
    memset(settings, 0, 22);
    settings->PixelType = TWPT_GRAY;
    settings->Resolution = 300;
    return 1;
}

SM_EXPORT int SetDefValue(ScanSettings *) { return 1; }
SM_EXPORT HWND OpenSMUI(HWND) { return nullptr; }
SM_EXPORT int CloseSMUI() { return 1; }
SM_EXPORT int Button_Scan() { return 0; }
SM_EXPORT TW_UINT16 CheckScanJob() { return 0; }

SM_EXPORT int NoUItoXferImage(HWND) {
    gRowsDelivered = 0;
    gBytesDelivered = 0;
    if (gpReadytoScan) gpReadytoScan(0);
    return 1;
}

SM_EXPORT int CkUseBufXfer(TW_UINT32 *kb) {
    *kb = gImage.blockKilobytes;
    return gImage.deliversFiles ? 0 : 1;
}

SM_EXPORT int UpdateImageInfo(TW_IMAGEINFO *info) {
    FillInfo(info);
    return 1;
}

// Blocks of an image of open length, or strips of one of known length: as
// many rows as the buffer holds.
SM_EXPORT TW_INT16 GetSMImage_Buf(TW_IMAGEMEMXFER *request, void *buffer) {
    return Deliver(request, buffer, request->Memory.Length);
}

SM_EXPORT TW_INT16 GetSMImage_File(TW_SETUPFILEXFER *setup, TW_UINT32 mode) {
    if (mode != 0) return SM_FAILED;  // the file transfers benchmarked write queued images
    return WriteScanFile(setup->FileName);
}

// The packed bitmap: header, palette, rows bottom-up.
SM_EXPORT TW_INT16 GetSMImage_DIB(HGLOBAL *dib) {
    TW_UINT32 bits = (TW_UINT32)gImage.bits, length = (TW_UINT32)gImage.length;
    TW_UINT32 colours = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    BITMAPINFOHEADER header = {40,
                               gImage.width,
                               (LONG)length,
                               1,
                               (WORD)bits,
                               BI_RGB,
                               gStride * length,
                               gImage.scannedDpi * 10000 / 254,
                               gImage.scannedDpi * 10000 / 254,
                               colours,
                               0};
    size_t total = 40 + 4 * (size_t)colours + (size_t)gStride * length;
    *dib = GlobalAlloc(GMEM_MOVEABLE, total);
    TW_UINT8 *at = *dib ? static_cast<TW_UINT8 *>(GlobalLock(*dib)) : nullptr;
    if (!at) return SM_FAILED;
    memcpy(at, &header, 40);
    RGBQUAD *palette = reinterpret_cast<RGBQUAD *>(at + 40);
    for (TW_UINT32 i = 0; i < colours; ++i) {
        TW_UINT8 grey = bits == 1 ? (TW_UINT8)(i * 255) : (TW_UINT8)i;
        palette[i] = {grey, grey, grey, (TW_UINT8)(bits == 1 ? grey : 0)};
    }
    TW_UINT8 *pixels = at + 40 + 4 * colours;
    for (TW_UINT32 row = 0; row < length; ++row)
        memcpy(pixels + (size_t)(length - 1 - row) * gStride, gDibRows.data() + (size_t)(row % kPatternRows) * gStride,
               gStride);
    gBytesDelivered += (unsigned long long)gStride * length;
    GlobalUnlock(*dib);
    return SM_DONE;
}
