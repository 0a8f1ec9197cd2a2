// A memory transfer's progress on stderr, for --progress: on a terminal one
// line redrawn in place ("qrscan: page 2: 45%"), elsewhere a line at every
// tenth. While the data source's own progress dialog is open on a terminal,
// the platform layer draws that one there and this one keeps quiet.
#ifndef QR_QRSCAN_PROGRESS_H
#define QR_QRSCAN_PROGRESS_H

#include <stdint.h>

class PageProgress {
public:
    // rowsExpected 0: the length is not known, and rows are counted instead.
    PageProgress(bool enabled, int page, uint32_t rowsExpected);
    ~PageProgress();
    void Rows(uint32_t rowsDone);

private:
    void Show(uint32_t rowsDone, int percent);

    bool enabled_;
    bool terminal_;
    bool drawn_ = false;
    int page_;
    uint32_t expected_;
    int lastShown_ = -1;
};

#endif
