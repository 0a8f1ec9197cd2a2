// Linux: SIGINT and SIGTERM are blocked everywhere and taken by sigtimedwait
// in one watcher thread, so no signal handler ever runs inside the data
// source. While a request has not reached a Cancel button, the watcher looks
// for the progress dialog every 50 ms, for a dialog opened after the signal.
#if !defined(_WIN32)

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <thread>

#include "qrscan_interrupt.h"
#include "qrscan_interrupt_internal.h"
#include "qrscan_options.h"

namespace {

sigset_t gWatched;

void Watch() {
    const struct timespec tick = {0, 50 * 1000 * 1000};
    for (;;) {
        int signal = sigtimedwait(&gWatched, nullptr, &tick);
        if (signal > 0 && NoteInterrupt() >= kInterruptsToQuit) _exit(QRSCAN_CANCELLED);
        if (signal < 0) ForwardInterrupt();  // a tick: the dialog may have opened since
    }
}

}  // namespace

void StartInterruptWatch() {
    sigemptyset(&gWatched);
    sigaddset(&gWatched, SIGINT);
    sigaddset(&gWatched, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &gWatched, nullptr);
    // The watcher lives as long as the process; it is never joined.
    std::thread(Watch).detach();
}

#endif
