// Windows: the console calls the handler on a thread of its own for Ctrl-C
// and Ctrl-Break.
#if defined(_WIN32)

#include "qrscan_interrupt.h"
#include "qrscan_interrupt_internal.h"
#include "qrscan_options.h"

namespace {

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (NoteInterrupt() >= kInterruptsToQuit) ExitProcess(QRSCAN_CANCELLED);
    return TRUE;
}

}  // namespace

void StartInterruptWatch() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

#endif
