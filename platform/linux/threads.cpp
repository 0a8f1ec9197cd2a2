// Thread identity and time: GetCurrentThreadId, GetTickCount, Sleep.
#include "kernel_internal.h"

#include <errno.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#ifndef INFINITE
#define INFINITE 0xFFFFFFFFu
#endif

// The kernel's thread id: stable for the thread's life, distinct between
// live threads, and the same number a debugger shows.
WINBASEAPI DWORD GetCurrentThreadId(void) {
    static thread_local DWORD tThreadId = static_cast<DWORD>(gettid());
    return tThreadId;
}

// Milliseconds since boot, sleep included, wrapping after 49.7 days as on
// Win32.
WINBASEAPI DWORD GetTickCount(void) {
    struct timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

// Sleep(0) gives up the rest of the time slice; INFINITE never returns.
WINBASEAPI void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;) pause();
    }
    struct timespec left;
    left.tv_sec = static_cast<time_t>(milliseconds / 1000u);
    left.tv_nsec = static_cast<long>(milliseconds % 1000u) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}
