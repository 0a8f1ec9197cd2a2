#include "scan_file.h"

#include "afx.h"
#include "caps/file_setup.h"
#include "caps/store.h"
#include "little_endian.h"
#include "startup/scan_module.h"

#include <string.h>

static HFILE gScanFile = HFILE_ERROR;
static TW_UINT16 gScanFileWidth, gScanFileRows, gScanFileSamples;
static TW_UINT32 gScanFileBytesPerRow;  // rows of 24 bits pass 64 KiB
static TW_UINT16 gScanFileRowsDone;

static char gScanFileName[sizeof gSetupFileXfer.FileName];  // what gScanFile was opened as

static const TW_UINT16 kMaxEntries = 1000;  // more than any scan module writes

void CloseScanFile(BOOL remove) {
    if (gScanFile == HFILE_ERROR) return;
    _lclose(gScanFile);
    gScanFile = HFILE_ERROR;
    // By the name it was opened under: the set-up may name another file of
    // the application's by now, which is not ours to delete.
    if (remove) DeleteFileA(gScanFileName);
    gScanFileName[0] = '\0';
}

// Reads the entries we use; FALSE when the file is short or lacks one.
static BOOL ReadScanFileEntries(TW_UINT32 *dataOffset) {
    TW_UINT8 head[12];
    if (_lread(gScanFile, head, sizeof head) != sizeof head) return FALSE;
    TW_UINT16 count = GetLE16(head + 8);
    if (count > kMaxEntries) return FALSE;
    bool haveOffset = false;
    gScanFileWidth = gScanFileRows = gScanFileSamples = 0;
    for (TW_UINT16 i = 0; i < count; ++i) {
        TW_UINT8 entry[12];
        if (_lread(gScanFile, entry, sizeof entry) != sizeof entry) return FALSE;
        TW_UINT32 value = GetLE32(entry + 8);
        switch (GetLE16(entry)) {
        case 256:
            gScanFileWidth = (TW_UINT16)value;
            break;
        case 257:
            gScanFileRows = (TW_UINT16)value;
            break;
        case 273:
            *dataOffset = value;
            haveOffset = true;
            break;
        case 277:
            gScanFileSamples = (TW_UINT16)value;
            break;
        }
    }
    return haveOffset && gScanFileWidth && gScanFileRows && gScanFileSamples;
}

// The scan module's file: its header read, positioned at the image data;
// FALSE when it cannot be used.
static BOOL ScanFileHeader() {
    CloseScanFile(FALSE);  // one file at a time
    OFSTRUCT info;
    gScanFile = OpenFile(gSetupFileXfer.FileName, &info, OF_READ);
    if (gScanFile == HFILE_ERROR) return FALSE;
    memcpy(gScanFileName, gSetupFileXfer.FileName, sizeof gScanFileName);
    gScanFileName[sizeof gScanFileName - 1] = '\0';
    gScanFileRowsDone = 0;
    TW_UINT32 dataOffset = 0;
    if (!ReadScanFileEntries(&dataOffset) || dataOffset > 0x7FFFFFFF) {
        CloseScanFile(FALSE);
        return FALSE;
    }
    TW_UINT32 product = (TW_UINT32)gScanFileWidth * gScanFileSamples;
    // Bilevel rows are packed; other rows have a byte per sample.
    gScanFileBytesPerRow = gImageInfo.PixelType == TWPT_BW ? (product + 7) / 8 : product;
    if (gScanFileBytesPerRow == 0 || _llseek(gScanFile, (LONG)dataOffset, FILE_BEGIN) != (LONG)dataOffset) {
        CloseScanFile(FALSE);
        return FALSE;
    }
    return TRUE;
}

int QueryXferBuffer(TW_UINT32 *kilobytes) {
    int blocks = ScanModuleOps.CkUseBufXfer(kilobytes);
    if (blocks) return blocks;
    gImage.fromScanFile = true;
    CloseScanFile(TRUE);  // the file of an earlier request, before the new one is written
    TW_INT16 status = ScanModuleOps.GetSMImage_File(&gSetupFileXfer, 0);
    // Both success statuses mean the file was written: it is read back.
    if (status == XFER_DONE) status = XFER_MORE;
    if (status == XFER_MORE && !ScanFileHeader()) status = XFER_FAILED;
    // A file that will never be read goes now: nothing else would delete it.
    if (status != XFER_MORE) DeleteFileA(gSetupFileXfer.FileName);
    gImage.ScanFileStatus = status;
    return 0;
}

TW_INT16 ReadFileStrip(TW_IMAGEMEMXFER *strip, void *buffer, TW_UINT32 capacity) {
    // Counted in 32 bits: a large buffer of short rows holds 64 Ki rows or more.
    TW_UINT32 rows = capacity / gScanFileBytesPerRow;
    TW_UINT32 left = (TW_UINT32)(gScanFileRows - gScanFileRowsDone);
    if (left < rows) rows = left;
    // A buffer that cannot hold one row would never see the end.
    if (rows == 0) return XFER_BUFFER_TOO_SMALL;
    TW_UINT32 bytes = (TW_UINT32)rows * gScanFileBytesPerRow;
    if (_lread(gScanFile, buffer, bytes) != bytes) {
        AfxMessageBox(" Read image data failed ");
        return XFER_FAILED;
    }
    strip->Compression = gCompression;
    strip->BytesPerRow = gScanFileBytesPerRow;
    strip->Columns = gScanFileWidth;
    strip->Rows = rows;
    strip->XOffset = 0;
    strip->YOffset = gScanFileRowsDone;
    strip->BytesWritten = bytes;
    gScanFileRowsDone = (TW_UINT16)(gScanFileRowsDone + rows);
    if (gScanFileRowsDone < gScanFileRows) return XFER_MORE;
    CloseScanFile(TRUE);
    return XFER_DONE;
}
