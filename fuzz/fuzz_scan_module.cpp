// The fuzz scan module. Each operation reads its answer from the fuzz input;
// with the input used up (or none attached) it gives the quiet answer: a
// connected scanner, default settings, no image, a finished job.
//
// It lies as a broken scan module would (absurd dimensions and depths,
// statuses out of range, more rows than the block holds, BytesWritten
// beyond the block, a file that is not a TIFF) but never writes past a
// buffer the data source gave it: that would be the module's own fault.
#include "fuzz_scan_module.h"

#include <stdio.h>
#include <string.h>

#define SM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FuzzInput gQuiet;
FuzzInput *gIn = &gQuiet;
const uint8_t *gScanFile;
size_t gScanFileSize;
bool gScripted;
TW_IMAGEINFO gScriptedInfo;

TW_IMAGEINFO gLastInfo;  // what UpdateImageInfo said last
int gBlocks;             // GetSMImage_Buf calls for the current image
TW_UINT32 gRowsSoFar;
uint64_t gBytesSoFar;  // what those calls claimed to write
HWND gWindow;
ReadytoScanProc gpReadytoScan;

// An image ends after this many blocks or bytes: enough to spool, little
// enough for a fuzzing machine's memory and disk.
const int kMaxBlocks = 256;
const uint64_t kMaxImageBytes = 16u << 20;
const TW_UINT32 kMaxFileData = 1u << 20;  // bytes of image data in a written file
const TW_UINT32 kMaxDib = 4u << 20;

// 0 is "complete", so that a used-up input ends every image.
TW_INT16 StatusOf(uint8_t b) {
    switch (b % 8) {
    case 0:
        return SM_DONE;
    case 2:
        return SM_CANCELLED;
    case 3:
        return SM_FAILED;
    case 4:
        return 3;  // out of range
    case 5:
        return (TW_INT16)gIn->U16();
    default:
        return SM_MORE;
    }
}

TW_UINT8 Pattern(TW_UINT32 i) { return (TW_UINT8)(i * 7 + 3); }

void FillPattern(void *buffer, TW_UINT32 bytes) {
    TW_UINT8 *out = static_cast<TW_UINT8 *>(buffer);
    for (TW_UINT32 i = 0; i < bytes; ++i) out[i] = Pattern(i);
}

TW_UINT32 RowBytesOf(const TW_IMAGEINFO &info) {
    uint64_t bits = (uint64_t)(TW_UINT32)info.ImageWidth * (TW_UINT32)(TW_UINT16)info.BitsPerPixel;
    return (TW_UINT32)((bits + 7) / 8);
}

void DestroyDialog() {
    if (gWindow && IsWindow(gWindow)) DestroyWindow(gWindow);
    gWindow = nullptr;
}

void StructuredInfo(TW_IMAGEINFO *info, uint8_t mode) {
    static const TW_INT16 kDepths[] = {8, 1, 24, 4, 16, 32, 0, 2};
    memset(info, 0, sizeof *info);
    TW_UINT16 width = gIn->U16();
    TW_UINT16 length = gIn->U16();
    info->ImageWidth = width ? width : 100;
    info->ImageLength = (mode & 1) ? -1 : (length ? length : 50);
    info->BitsPerPixel = kDepths[gIn->Byte() % 8];
    info->SamplesPerPixel = info->BitsPerPixel == 24 ? 3 : 1;
    for (int i = 0; i < info->SamplesPerPixel; ++i)
        info->BitsPerSample[i] = (TW_INT16)(info->BitsPerPixel == 24 ? 8 : info->BitsPerPixel);
    info->PixelType = info->BitsPerPixel == 1 ? TWPT_BW : info->BitsPerPixel == 24 ? TWPT_RGB : TWPT_GRAY;
    if (mode & 2) info->PixelType = gIn->Byte();
    TW_UINT16 scanned = gIn->U16();
    info->XResolution.Whole = scanned ? (TW_INT16)scanned : 300;
    info->XResolution.Frac = gIn->U16();  // above 300: the resolution asked for
    info->YResolution.Whole = info->XResolution.Whole;
    info->Planar = 1;
}

// The memory transfer's file: a TIFF as the contract says (entries from
// offset 12) of the image last described, perhaps damaged, or raw bytes.
void WriteScanFile(FILE *file) {
    uint8_t form = gIn->Byte();
    if (form & 1) {
        size_t bytes = gIn->U16();
        const uint8_t *raw = gIn->Span(&bytes);
        fwrite(raw, 1, bytes, file);
        return;
    }
    static const TW_UINT16 kTags[] = {256, 257, 277, 273, 258, 259, 262};
    TW_UINT16 count = (form & 2) ? gIn->Byte() % 12 : 4;
    TW_UINT32 dataOffset = 12 + 12u * count;
    TW_UINT8 head[12] = {'I', 'I', 42, 0, 8, 0, 0, 0, (TW_UINT8)count, (TW_UINT8)(count >> 8), 0, 0};
    fwrite(head, 1, sizeof head, file);
    for (TW_UINT16 i = 0; i < count; ++i) {
        TW_UINT16 tag = (form & 2) ? kTags[gIn->Byte() % 7] : kTags[i];
        TW_UINT32 value = 0;
        if (form & 4)
            value = gIn->U32();
        else if (tag == 256)
            value = (TW_UINT32)gLastInfo.ImageWidth;
        else if (tag == 257)
            value = (TW_UINT32)gLastInfo.ImageLength;
        else if (tag == 277)
            value = (TW_UINT32)gLastInfo.SamplesPerPixel;
        else if (tag == 273)
            value = dataOffset;
        TW_UINT8 entry[12] = {(TW_UINT8)tag, (TW_UINT8)(tag >> 8), 4, 0, 1, 0, 0, 0};
        for (int b = 0; b < 4; ++b) entry[8 + b] = (TW_UINT8)(value >> (8 * b));
        fwrite(entry, 1, sizeof entry, file);
    }
    TW_UINT32 rows = gLastInfo.ImageLength > 0 ? (TW_UINT32)gLastInfo.ImageLength : 0;
    uint64_t dataBytes = (uint64_t)RowBytesOf(gLastInfo) * rows;
    if (form & 8) dataBytes = gIn->U16();  // short, or long
    if (dataBytes > kMaxFileData) dataBytes = kMaxFileData;
    for (TW_UINT32 i = 0; i < dataBytes; ++i) fputc(Pattern(i), file);
}

}  // namespace

SM_EXPORT void FuzzSM_Start(const FuzzScanScript *script) {
    gIn = script && script->answers ? script->answers : &gQuiet;
    gScripted = script && script->scanFile;
    gScanFile = gScripted ? script->scanFile : nullptr;
    gScanFileSize = gScripted ? script->scanFileSize : 0;
    if (gScripted) gScriptedInfo = script->info;
    gBlocks = 0;
    gRowsSoFar = 0;
    gBytesSoFar = 0;
    if (!script) DestroyDialog();
}

SM_EXPORT HWND FuzzSM_Window() { return gWindow; }

// The data source that called us, found by the caller's address.
static void BindCallbacks(void *callerAddress) {
    HMODULE caller = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(callerAddress), &caller))
        return;
    FARPROC proc = GetProcAddress(caller, "ReadytoScan");
    gpReadytoScan = reinterpret_cast<ReadytoScanProc>(reinterpret_cast<void (*)(void)>(proc));
}

SM_EXPORT int GetProductName(char *name, TW_UINT16, TW_UINT16 *major, TW_UINT16 *minor, char *manufacturer,
                             char *family, char *version) {
    BindCallbacks(__builtin_return_address(0));
    snprintf(name, 36, "Fuzz Flatbed");
    snprintf(manufacturer, 36, "Fuzz Maker");
    snprintf(family, 36, "Fuzz Family");
    snprintf(version, 36, "Fuzz 1.0");
    *major = 1;
    *minor = 0;
    return 1;
}

SM_EXPORT int ConnectScanner(TW_UINT32 mode) {
    uint8_t b = gIn->Byte();
    return mode == 0 ? b % 8 != 7 : b & 1;
}

SM_EXPORT int GetDefValue(ScanSettings *settings) {
    uint8_t form = gIn->Byte();
    TW_UINT8 raw[22];
    if (form & 1) {
        gIn->Take(raw, sizeof raw);
    } else {
        memset(raw, 0, sizeof raw);
        raw[12] = TWPT_GRAY;
        raw[20] = 300 & 0xFF;  // Resolution
        raw[21] = 300 >> 8;
    }
    memcpy(settings, raw, sizeof raw);  // offsets 0 to 21 only
    return 1;
}

SM_EXPORT int SetDefValue(ScanSettings *) { return 1; }

SM_EXPORT HWND OpenSMUI(HWND) {
    if (gIn->Byte() % 8 == 7) return nullptr;
    DestroyDialog();
    gWindow = CreateWindowExA(0, "STATIC", "Fuzz Scan", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr, nullptr,
                              nullptr);
    return gWindow;
}

SM_EXPORT int CloseSMUI() {
    DestroyDialog();
    return 1;
}

// Images announced during the call, as a scan without a dialog does.
SM_EXPORT int NoUItoXferImage(HWND) {
    int announcements = gIn->Byte() % 4;
    for (int i = 0; i < announcements && gpReadytoScan; ++i) gpReadytoScan(gIn->Byte() % 4 == 3 ? 1 : 0);
    return gIn->Byte() % 8 != 7;
}

SM_EXPORT int CkUseBufXfer(TW_UINT32 *kilobytes) {
    static const TW_UINT32 kSizes[] = {32, 1, 2, 64, 300, 600, 0};
    uint8_t size = gIn->Byte();
    *kilobytes = size % 8 < 7 ? kSizes[size % 8] : gIn->U32();
    if (gScripted) return 0;
    return gIn->Byte() % 4 != 3;
}

SM_EXPORT int UpdateImageInfo(TW_IMAGEINFO *info) {
    gBlocks = 0;
    gRowsSoFar = 0;
    gBytesSoFar = 0;
    if (gScripted) {
        *info = gScriptedInfo;
    } else {
        uint8_t mode = gIn->Byte();
        if (mode & 0x80)
            gIn->Take(info, sizeof *info);
        else
            StructuredInfo(info, mode);
    }
    gLastInfo = *info;
    return 1;
}

SM_EXPORT int Button_Scan() { return 0; }

// One block of an image of open length, or one strip of an image of known
// length: the same answer either way.
SM_EXPORT TW_INT16 GetSMImage_Buf(TW_IMAGEMEMXFER *request, void *buffer) {
    if (gIn->Empty() || ++gBlocks > kMaxBlocks) return SM_FAILED;
    uint8_t shape = gIn->Byte();
    TW_UINT32 rowBytes = request->BytesPerRow;
    uint64_t rows;
    switch (shape & 3) {
    case 0:
        rows = gIn->Byte();
        break;
    case 1:
        rows = gIn->U32();
        break;
    case 2:
        rows = rowBytes ? request->Memory.Length / rowBytes : 0;  // as many as fit
        break;
    default:
        rows = 0;
    }
    uint64_t bytes = rows * rowBytes;
    TW_UINT32 written = (shape & 4) ? gIn->U32() : (TW_UINT32)(bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : bytes);
    TW_UINT32 room = request->Memory.Length;
    TW_UINT32 filled = written < room ? written : room;
    gBytesSoFar += filled;
    if (gBytesSoFar > kMaxImageBytes) return SM_FAILED;
    request->Rows = (TW_UINT32)rows;
    request->BytesWritten = written;
    if (shape & 32) request->BytesPerRow = gIn->Byte();  // its own idea of a row
    request->XOffset = (shape & 8) ? gIn->U32() : 0;
    request->YOffset = (shape & 8) ? gIn->U32() : gRowsSoFar;
    gRowsSoFar += (TW_UINT32)rows;
    if (buffer) FillPattern(buffer, filled);
    if (shape & 16) {
        // Scribbled over: the data source must not trust its own record back.
        request->Memory.Flags = TWMF_DSOWNS | TWMF_HANDLE;
        request->Memory.Length = 1;
        request->Memory.TheMem = nullptr;
    }
    return StatusOf(gIn->Byte());
}

SM_EXPORT TW_INT16 GetSMImage_File(TW_SETUPFILEXFER *setup, TW_UINT32 mode) {
    char name[sizeof setup->FileName + 1];
    memcpy(name, setup->FileName, sizeof setup->FileName);
    name[sizeof setup->FileName] = '\0';
    TW_INT16 status = gScripted ? SM_MORE : StatusOf(gIn->Byte());
    FILE *file = fopen(name, "wb");
    if (!file) return SM_FAILED;
    if (gScripted)
        fwrite(gScanFile, 1, gScanFileSize, file);
    else if (mode == 0)
        WriteScanFile(file);
    else
        fprintf(file, "fuzz scan module file, format %u\n", setup->Format);
    fclose(file);
    // The application's own file is the module's to clean up when it fails.
    if (mode == 1 && status != SM_MORE && status != SM_DONE) remove(name);
    return status;
}

// A packed bitmap of the image last described, when it is small enough,
// its header perhaps replaced by the input's bytes; or no bitmap at all.
SM_EXPORT TW_INT16 GetSMImage_DIB(HGLOBAL *dib) {
    TW_INT16 status = StatusOf(gIn->Byte());
    uint8_t form = gIn->Byte();
    if (form % 4 == 3) return status;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = gLastInfo.ImageWidth;
    header.biHeight = gLastInfo.ImageLength;
    header.biPlanes = 1;
    header.biBitCount = (WORD)gLastInfo.BitsPerPixel;
    uint64_t stride = ((uint64_t)(TW_UINT32)header.biWidth * header.biBitCount + 31) / 32 * 4;
    uint64_t pixels = stride * (TW_UINT32)(header.biHeight > 0 ? header.biHeight : 0);
    if (form % 4 == 2) gIn->Take(&header, sizeof header);
    uint64_t total = sizeof header + 256 * 4 + pixels;
    if (total > kMaxDib) return status;
    *dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)total);
    void *at = *dib ? GlobalLock(*dib) : nullptr;
    if (!at) return SM_FAILED;
    memcpy(at, &header, sizeof header);
    GlobalUnlock(*dib);
    return status;
}

SM_EXPORT TW_UINT16 CheckScanJob() {
    uint8_t b = gIn->Byte();
    return b % 8 == 7 ? gIn->Byte() % 3 : 0;
}
