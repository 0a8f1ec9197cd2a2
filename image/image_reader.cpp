#include "image_reader.h"

#include "afx.h"
#include "caps/store.h"
#include "global_block.h"
#include "image_size.h"
#include "scaling.h"
#include "spool.h"
#include "ui/message_pump.h"
#include "ui/progress_dialog.h"

#include <new>
#include <string.h>

namespace {

// The read under way. Its progress dialog lives across the application's
// calls when a memory transfer takes the image strip by strip.
struct Read {
    bool open;
    ReadForm form;
    bool enlarged;
    ProgressCount progress;
    ProgressDialog *dialog;
    TW_UINT32 rowBytes;   // of one row the read gives
    TW_UINT32 totalRows;  // rows of the image as the read gives it
    TW_UINT32 rowsRead;
    MBInfo heldBlock;  // the block NextBlock handed out locked
    // The source lines of a row read: the block being walked.
    MBInfo lineBlock;
    TW_UINT8 *linePtr;
    TW_UINT32 lineIndex;
    TW_UINT32 sourceBytes;
    // The enlargement's ruler and its line, or the colour-turned line of
    // NextRow.
    HGLOBAL hRuler, hLine;
    TW_INT32 *ruler;
    TW_UINT8 *line;
    LineScaler scale;
};

Read gRead;

void FreeWorkingMemory() {
    FreeBlockMemory(&gRead.heldBlock);
    FreeBlockMemory(&gRead.lineBlock);
    gRead.linePtr = nullptr;
    FreeLockedBlock(&gRead.hRuler);
    FreeLockedBlock(&gRead.hLine);
    gRead.ruler = nullptr;
    gRead.line = nullptr;
}

// One step of the read: the dialog's timer and Cancel are served here.
bool StepCancelled() {
    ++gRead.progress.steps;
    PumpMessage();
    return gRead.progress.cancelled != FALSE;
}

// The first line of the next queued block that has lines, or null. A block
// that cannot be read back gives null too.
TW_UINT8 *StartNextBlock() {
    FreeBlockMemory(&gRead.lineBlock);
    gRead.linePtr = nullptr;
    while (gImageQueue.GetCount() > 0) {
        if (!TakeBlockInfo(&gRead.lineBlock)) return nullptr;
        gRead.linePtr = static_cast<TW_UINT8 *>(LockBlock(&gRead.lineBlock));
        gRead.lineIndex = 0;
        if (!gRead.linePtr || gRead.lineBlock.Rows > 0) return gRead.linePtr;
        FreeBlockMemory(&gRead.lineBlock);  // a block without rows holds no line
        gRead.linePtr = nullptr;
    }
    return nullptr;
}

// The queued image one source line at a time (GetOneLine): `*newBlock` says
// whether the line began the next block. Null when there is none left or
// it cannot be read.
const TW_UINT8 *GetOneLine(bool *newBlock) {
    *newBlock = !gRead.linePtr || gRead.lineIndex + 1 >= gRead.lineBlock.Rows;
    if (!*newBlock) {
        ++gRead.lineIndex;
        gRead.linePtr += gRead.sourceBytes;
        return gRead.linePtr;
    }
    if (gRead.linePtr && gImageQueue.GetCount() == 0) {
        FreeBlockMemory(&gRead.lineBlock);
        gRead.linePtr = nullptr;
        AfxMessageBox("Error!\nGet too much lines.");
        return nullptr;
    }
    return StartNextBlock();
}

TW_INT16 EndOfRow() {
    ++gRead.rowsRead;
    return gRead.rowsRead >= gRead.totalRows ? XFER_DONE : XFER_MORE;
}

// The next row of an image as received, copied to `dest` (or, with dest
// null, left where it lies, or colour-turned into the line): each block the
// walk starts is a step.
TW_INT16 UnenlargedRow(TW_UINT8 *dest, const TW_UINT8 **row) {
    bool newBlock = false;
    const TW_UINT8 *source = GetOneLine(&newBlock);
    if (!source) return XFER_FAILED;
    if (newBlock && StepCancelled()) return XFER_CANCELLED;
    bool turnColour = gRead.form == ReadForm::RowsBlueFirst && gImageInfo.BitsPerPixel == 24;
    if (!dest && turnColour) {
        if (!gRead.line) gRead.line = static_cast<TW_UINT8 *>(AllocLockedBlock(&gRead.hLine, gRead.rowBytes));
        if (!gRead.line) return XFER_FAILED;
        dest = gRead.line;
    }
    if (!dest) {
        *row = source;
    } else if (turnColour) {
        CopyLineBGR(dest, source, (TW_UINT32)gImageInfo.ImageWidth);
    } else {
        memcpy(dest, source, gRead.rowBytes);
    }
    if (row && dest) *row = dest;
    return EndOfRow();
}

// The next enlarged row in the line. A row whose ruler entry is 0 repeats
// the one before: the source is read once, and only new lines are a step
// that pumps a message.
TW_INT16 EnlargedRow(TW_UINT8 *dest, const TW_UINT8 **row) {
    if (gRead.ruler[gRead.rowsRead]) {
        bool newBlock = false;
        const TW_UINT8 *source = GetOneLine(&newBlock);
        if (!source) return XFER_FAILED;
        gRead.scale(gRead.line, source, gRead.ruler, gImage.ScaledWidth);
        PumpMessage();
        if (gRead.progress.cancelled) return XFER_CANCELLED;
    }
    ++gRead.progress.steps;
    if (dest) memcpy(dest, gRead.line, gRead.rowBytes);
    if (row) *row = gRead.line;
    return EndOfRow();
}

TW_INT16 ProduceRow(TW_UINT8 *dest, const TW_UINT8 **row) {
    if (!gRead.open || gRead.form == ReadForm::Blocks || gRead.rowsRead >= gRead.totalRows) return XFER_FAILED;
    return gRead.enlarged ? EnlargedRow(dest, row) : UnenlargedRow(dest, row);
}

// The ruler, the line and the replicator of an enlarged read.
bool PrepareEnlargement(TW_UINT16 bits) {
    TW_INT32 entries = gImage.ScaledWidth >= gImage.ScaledLength ? gImage.ScaledWidth : gImage.ScaledLength;
    gRead.ruler = static_cast<TW_INT32 *>(AllocLockedBlock(&gRead.hRuler, (size_t)entries * sizeof(TW_INT32)));
    gRead.line = static_cast<TW_UINT8 *>(AllocLockedBlock(&gRead.hLine, gRead.rowBytes));
    gRead.scale = ScalerForDepth(bits, gRead.form == ReadForm::RowsBlueFirst, gImage.ScaleNum, gImage.ScaleDen);
    if (!gRead.ruler || !gRead.line || !gRead.scale) return false;
    EvaluateScaleRuler(gRead.ruler, gImage.ScaleNum, gImage.ScaleDen, entries);
    return true;
}

// Sizes of the read: rows as they come out, and the source lines behind them.
bool SizeRead(TW_UINT16 bits) {
    if (gRead.enlarged) {
        gRead.sourceBytes = RowBytes(gImage.SourceWidth, bits);
        gRead.rowBytes = RowBytes(gImage.ScaledWidth, bits);
        gRead.totalRows = gImage.ScaledLength;
    } else {
        gRead.sourceBytes = gRead.rowBytes = RowBytes((TW_UINT32)gImageInfo.ImageWidth, bits);
        gRead.totalRows = (TW_UINT32)gImageInfo.ImageLength;
    }
    return gRead.rowBytes != 0 && gRead.sourceBytes != 0;
}

// The dialog counts blocks, or the enlarged rows of an enlarged image. An
// application that turned CAP_INDICATORS off sees none; Cancel then cannot
// be pressed, and the read goes on to its end.
void ShowProgress() {
    if (!gIndicators) return;
    TW_UINT32 steps = gRead.enlarged ? gRead.totalRows : (TW_UINT32)gImageQueue.GetCount();
    gRead.dialog = new (std::nothrow) ProgressDialog(&gRead.progress);
    if (gRead.dialog && !ProgressDialog::IsActive()) {
        gRead.dialog->Open(PROGRESS_TITLE);
        gRead.dialog->Begin(0, steps);
    }
}

void CloseRead(bool showEnd) {
    if (gRead.dialog) {
        if (showEnd) gRead.dialog->End();
        delete gRead.dialog;
    }
    FreeWorkingMemory();
    gRead = Read();
}

}  // namespace

bool ReadIsOpen() { return gRead.open; }

TW_INT16 BeginRead(ReadForm form) {
    bool enlarged = gImage.where == ImageWhere::QueueEnlarged;
    // A read already open belongs to memory strips under way: they keep the image.
    if (gRead.open || !IsQueued(gImage) || gImage.outcome != ImageOutcome::Received || gImageQueue.GetCount() == 0 ||
        (enlarged && form == ReadForm::Blocks))
        return XFER_FAILED;
    gRead.form = form;
    gRead.enlarged = enlarged;
    TW_UINT16 bits = (TW_UINT16)gImageInfo.BitsPerPixel;
    if (!SizeRead(bits) || (enlarged && !PrepareEnlargement(bits))) {
        FreeWorkingMemory();
        return XFER_FAILED;
    }
    gRead.open = true;
    gImage.outcome = ImageOutcome::Reading;
    ShowProgress();
    return XFER_MORE;
}

TW_INT16 NextBlock(ImageBlock *block, TW_UINT8 *into, TW_UINT32 capacity) {
    FreeBlockMemory(&gRead.heldBlock);
    if (!gRead.open || gRead.form != ReadForm::Blocks || gImageQueue.GetCount() == 0) return XFER_FAILED;
    MBInfo info;
    if (!TakeBlockInfo(&info)) return XFER_FAILED;
    const TW_UINT8 *data = nullptr;
    if (into) {
        // A block larger than the application's buffer must not run past it.
        int read = info.BytesWritten <= capacity ? ReadBlock(into, &info) : 0;
        FreeBlockMemory(&info);
        if (!read) return XFER_FAILED;
    } else {
        data = static_cast<const TW_UINT8 *>(LockBlock(&info));
        gRead.heldBlock = info;
        if (!data) return XFER_FAILED;
    }
    *block = {data, info.Rows, info.XOffset, info.YOffset, info.BytesWritten};
    if (StepCancelled()) return XFER_CANCELLED;
    return gImageQueue.GetCount() == 0 ? XFER_DONE : XFER_MORE;
}

TW_INT16 NextRows(TW_UINT8 *dest, long stride, TW_UINT32 count) {
    TW_INT16 status = XFER_FAILED;  // asked for no row at all
    for (TW_UINT32 i = 0; i < count; ++i, dest += stride) {
        status = ProduceRow(dest, nullptr);
        if (status == XFER_MORE) continue;
        // More rows asked for than the image has is a fault of the caller's.
        if (status == XFER_DONE) return i + 1 == count ? XFER_DONE : XFER_FAILED;
        return status;
    }
    return status;
}

TW_INT16 NextRow(const TW_UINT8 **row) { return ProduceRow(nullptr, row); }

TW_UINT32 ReadRowBytes() { return gRead.rowBytes; }
TW_UINT32 RowsRead() { return gRead.rowsRead; }

void EndRead(TW_INT16 status) {
    CloseRead(status == XFER_DONE);
    // Whatever is left goes: after the whole image, nothing but the spool
    // file; after a stop, the rest, which a later strip would take from the
    // wrong place.
    DiscardImageData();
    gImage.outcome = ImageOutcome::Gone;
}

TW_INT16 StoppedReception(bool pieceByPiece, ImageBlock *first, TW_UINT8 *into, TW_UINT32 capacity) {
    MBInfo info;
    if (first && gImageQueue.GetCount() > 0 && TakeBlockInfo(&info)) {
        if (info.BytesWritten <= capacity && ReadBlock(into, &info))
            *first = {nullptr, info.Rows, info.XOffset, info.YOffset, info.BytesWritten};
        FreeBlockMemory(&info);
    }
    DiscardImageData();
    gImage.outcome = ImageOutcome::Gone;
    return pieceByPiece ? XFER_CANCELLED : XFER_FAILED;
}
