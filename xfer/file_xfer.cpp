#include "file_xfer.h"

#include "afx.h"
#include "bmp_writer.h"
#include "caps/file_setup.h"
#include "caps/store.h"
#include "image/direct_image.h"
#include "tiff_writer.h"

static TW_INT16 WriteByFormat(HFILE file) {
    if (gFileFormat == TWFF_BMP) return WriteBmpFile(file);
    if (gFileFormat == TWFF_TIFF) return WriteTiffFile(file);
    return XFER_FAILED;  // a format the source cannot write
}

static TW_INT16 WriteImageFile(const char *fileName) {
    HFILE file = _lcreat(fileName, 0);
    if (file == HFILE_ERROR) {
        AfxMessageBox("Error!\n Cannot Create File.");
        return XFER_FAILED;
    }
    TW_INT16 status = WriteByFormat(file);
    _lclose(file);
    if (status != XFER_DONE) DeleteFileA(fileName);
    return status;
}

TW_INT16 FileXfer() {
    if (gImage.where == ImageWhere::ScanModule) return DirectFile();
    if (!IsQueued(gImage)) return XFER_FAILED;
    return WriteImageFile(gSetupFileXfer.FileName);
}
