#include "qrscan_progress.h"

#include <stdio.h>

#if defined(_WIN32)
#include <io.h>
#define QR_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define QR_ISATTY(fd) isatty(fd)
#endif

#include "qrscan_interrupt.h"

PageProgress::PageProgress(bool enabled, int page, uint32_t rowsExpected)
    : enabled_(enabled), terminal_(QR_ISATTY(2) != 0), page_(page), expected_(rowsExpected) {}

PageProgress::~PageProgress() {
    if (drawn_ && terminal_) fputc('\n', stderr);
}

void PageProgress::Rows(uint32_t rowsDone) {
    if (!enabled_) return;
    if (terminal_ && FindSourceProgressDialog()) return;
    int percent = expected_ ? (int)((uint64_t)rowsDone * 100 / expected_) : -1;
    // Off a terminal, every tenth (and the first strip) is enough.
    int step = terminal_ ? percent : (percent < 0 ? -1 : percent / 10);
    if (drawn_ && step == lastShown_ && (terminal_ || percent >= 0)) return;
    lastShown_ = step;
    Show(rowsDone, percent);
}

void PageProgress::Show(uint32_t rowsDone, int percent) {
    const char *lead = terminal_ ? "\r" : "";
    const char *tail = terminal_ ? "" : "\n";
    if (percent >= 0)
        fprintf(stderr, "%sqrscan: page %d: %3d%% (%u of %u rows)%s", lead, page_, percent, (unsigned)rowsDone,
                (unsigned)expected_, tail);
    else
        fprintf(stderr, "%sqrscan: page %d: %u rows%s", lead, page_, (unsigned)rowsDone, tail);
    fflush(stderr);
    drawn_ = true;
}
