// The file mode of the memory transfer: the scan module writes the whole
// image as a TIFF file, and the data source reads it back a strip per call.
// The file's entries start at offset 12, two bytes after their count.
#include "afx.h"
#include "caps/store.h"
#include "entry/dispatch.h"
#include "file_setup.h"
#include "image/scaling.h"
#include "little_endian.h"
#include "mem_xfer.h"

#include <string.h>

HFILE gScanFile = HFILE_ERROR;
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

int ScanFileHeader() {
    CloseScanFile(FALSE);  // one file at a time
    OFSTRUCT info;
    gScanFile = OpenFile(gSetupFileXfer.FileName, &info, OF_READ);
    if (gScanFile == HFILE_ERROR) return 0;
    memcpy(gScanFileName, gSetupFileXfer.FileName, sizeof gScanFileName);
    gScanFileName[sizeof gScanFileName - 1] = '\0';
    gScanFileRowsDone = 0;
    TW_UINT32 dataOffset = 0;
    if (!ReadScanFileEntries(&dataOffset) || dataOffset > 0x7FFFFFFF) {
        CloseScanFile(FALSE);
        return 0;
    }
    TW_UINT32 product = (TW_UINT32)gScanFileWidth * gScanFileSamples;
    // Bilevel rows are packed; other rows have a byte per sample.
    gScanFileBytesPerRow = gImageInfo.PixelType == TWPT_BW ? (product + 7) / 8 : product;
    if (gScanFileBytesPerRow == 0 || _llseek(gScanFile, (LONG)dataOffset, FILE_BEGIN) != (LONG)dataOffset) {
        CloseScanFile(FALSE);
        return 0;
    }
    return 1;
}

TW_UINT16 ReadFileStrip(TW_UINT32 capacity) {
    // Counted in 32 bits: a large buffer of short rows holds 64 Ki rows or more.
    TW_UINT32 rows = capacity / gScanFileBytesPerRow;
    TW_UINT32 left = (TW_UINT32)(gScanFileRows - gScanFileRowsDone);
    if (left < rows) rows = left;
    // A buffer that cannot hold one row would never see the end.
    if (rows == 0) return FailWith(TWCC_BADVALUE);
    TW_UINT32 bytes = (TW_UINT32)rows * gScanFileBytesPerRow;
    if (_lread(gScanFile, gXferBuffer, bytes) != bytes) {
        AfxMessageBox(" Read image data failed ");
        return FailWith(TWCC_OPERATIONERROR);
    }
    gMemXfer.Compression = gCompression;
    gMemXfer.BytesPerRow = gScanFileBytesPerRow;
    gMemXfer.Columns = gScanFileWidth;
    gMemXfer.Rows = rows;
    gMemXfer.XOffset = 0;
    gMemXfer.YOffset = gScanFileRowsDone;
    gMemXfer.BytesWritten = bytes;
    gScanFileRowsDone = (TW_UINT16)(gScanFileRowsDone + rows);
    if (gScanFileRowsDone < gScanFileRows) return TWRC_SUCCESS;
    CloseScanFile(TRUE);
    return TWRC_XFERDONE;
}
