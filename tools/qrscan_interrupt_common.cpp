// What both platforms share: the request count and the press on Cancel.
#include <atomic>

#include "qrscan_interrupt.h"
#include "qrscan_interrupt_internal.h"

#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif

namespace {

const char kProgressTitle[] = "Image Data Transferring...";

std::atomic<int> gRequests{0};
std::atomic<bool> gForwarded{false};

}  // namespace

HWND FindSourceProgressDialog() { return FindWindowA(nullptr, kProgressTitle); }

bool InterruptRequested() { return gRequests.load() > 0; }

bool InterruptForwarded() { return gForwarded.load(); }

bool ForwardInterrupt() {
    if (!InterruptRequested() || gForwarded.load()) return false;
    HWND dialog = FindSourceProgressDialog();
    if (!dialog) return false;
    // The dialog belongs to the main thread; a posted click is handled
    // there, at the transfer's next pump.
    HWND button = GetDlgItem(dialog, IDCANCEL);
    if (PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)button)) gForwarded = true;
    return true;
}

int NoteInterrupt() {
    int count = ++gRequests;
    ForwardInterrupt();
    return count;
}
