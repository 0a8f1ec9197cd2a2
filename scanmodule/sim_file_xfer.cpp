// Handing over the current page as a file: the application's BMP or TIFF
// (mode 1), or the TIFF a memory transfer reads back (mode 0). The rows go
// out in blocks of BlockKB, each counted like a strip, so that a cancel or
// failure can strike in the middle; a file that is not finished is deleted.
#include <string.h>

#include <vector>

#include "sim_file_layout.h"
#include "sim_pattern.h"
#include "sim_transfer.h"

namespace {

bool KindFor(TW_UINT16 format, TW_UINT32 mode, SimFileKind *kind) {
    if (mode == 0) {
        *kind = SIM_FILE_SCAN_TIFF;
        return true;
    }
    if (mode != 1) return false;
    if (format == TWFF_BMP)
        *kind = SIM_FILE_BMP;
    else if (format == TWFF_TIFF)
        *kind = SIM_FILE_TIFF;
    else
        return false;
    return true;
}

bool WriteAll(HFILE file, const uint8_t *data, uint32_t bytes) { return _lwrite(file, (LPCSTR)data, bytes) == bytes; }

// The rows in file order, a block at a time.
TW_INT16 WriteRows(HFILE file, const SimImage &image, const SimFileLayout &layout, int32_t rows) {
    uint32_t blockBytes = gSimConfig.blockKB * 1024u;
    int32_t rowsPerBlock = blockBytes >= layout.storedRowBytes ? (int32_t)(blockBytes / layout.storedRowBytes) : 1;
    std::vector<uint8_t> block;
    for (int32_t done = 0; done < rows;) {
        TW_INT16 status = SimCountBlock();
        if (status != SM_MORE) return status;
        int32_t count = rows - done < rowsPerBlock ? rows - done : rowsPerBlock;
        block.assign((size_t)count * layout.storedRowBytes, 0);
        for (int32_t i = 0; i < count; ++i) {
            int32_t index = done + i;
            int32_t y = layout.bottomUp ? image.length - 1 - index : index;
            SimRenderRow(image, y, layout.bgr, block.data() + (size_t)i * layout.storedRowBytes);
        }
        if (!WriteAll(file, block.data(), (uint32_t)block.size())) return SM_FAILED;
        done += count;
    }
    return SM_DONE;
}

TW_INT16 WriteFile(const char *name, const SimImage &image, const SimFileLayout &layout) {
    HFILE file = _lcreat(name, 0);
    if (file == HFILE_ERROR) return SM_FAILED;
    int32_t rows = gSimConfig.fileFault == SIM_FILE_FAULT_SHORT ? image.length / 2 : image.length;
    TW_INT16 status = WriteAll(file, layout.head.data(), (uint32_t)layout.head.size())
                          ? WriteRows(file, image, layout, rows)
                          : SM_FAILED;
    _lclose(file);
    if (status != SM_DONE) DeleteFileA(name);
    return status;
}

}  // namespace

TW_INT16 SimDeliverFile(const TW_SETUPFILEXFER *setup, TW_UINT32 mode) {
    if (!setup) return SM_FAILED;
    char name[sizeof setup->FileName];
    memcpy(name, setup->FileName, sizeof name);
    name[sizeof name - 1] = '\0';
    const SimImage *image = SimCurrentImage();
    SimFileKind kind;
    SimFileLayout layout;
    if (!name[0] || !image || !KindFor(setup->Format, mode, &kind) ||
        !SimFileLayoutFor(*image, kind, gSimConfig.fileFault, &layout))
        return SM_FAILED;
    if (gSimConfig.fileFault == SIM_FILE_FAULT_MISSING) {
        DeleteFileA(name);  // really missing, not an old file of that name
    } else {
        TW_INT16 status = WriteFile(name, *image, layout);
        if (status != SM_DONE) return status;
    }
    SimPageDelivered();
    // The memory transfer reads its file only on 0; 1 would end it empty.
    return mode == 0 ? SM_MORE : SM_DONE;
}
