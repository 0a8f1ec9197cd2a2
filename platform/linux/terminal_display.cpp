// A bar on the terminal for what a window draws as a bar. A window that
// fills its left part and then its right part with opaque text (a progress
// bar with its percentage) is shown on stderr as
//   Image Data Transferring...  [##########..........]  50%
// redrawn in place, and ended with a newline once it reaches 100 %.
#include "text_display.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

const int kCells = 40;

struct TerminalBar {
    int fd;
    HWND window;
    LONG split;  // where the filled part ends, in the window's pixels
};

TerminalBar gBar = {-1, nullptr, 0};

// The caption of the dialog the bar belongs to.
void CaptionOf(HWND bar, char *caption, int size) {
    caption[0] = '\0';
    HWND dialog = GetParent(bar);
    if (dialog) GetWindowTextA(dialog, caption, size);
}

void ShowBar(TerminalBar &bar, HWND window, const WinLayerTextOut &text) {
    LONG width = text.rect.right > 0 ? text.rect.right : 1;
    int filled = (int)((long long)bar.split * kCells / width);
    if (filled > kCells) filled = kCells;
    if (filled < 0) filled = 0;
    char cells[kCells + 1];
    memset(cells, '#', (size_t)filled);
    memset(cells + filled, '.', (size_t)(kCells - filled));
    cells[kCells] = '\0';
    char caption[128];
    CaptionOf(window, caption, sizeof caption);
    int percent = atoi(text.text);
    char line[256];
    int length = snprintf(line, sizeof line, "\r%s [%s] %5s%s", caption, cells, text.text, percent >= 100 ? "\n" : "");
    if (length > 0 && write(bar.fd, line, (size_t)length) < 0) bar.fd = -1;
}

void DrawText(void *context, HWND window, const WinLayerTextOut &text) {
    TerminalBar &bar = *static_cast<TerminalBar *>(context);
    if (bar.fd < 0 || !(text.options & ETO_OPAQUE)) return;
    if (text.rect.left == 0) {  // the filled part: remember where it ends
        bar.window = window;
        bar.split = text.rect.right;
        return;
    }
    if (window == bar.window) ShowBar(bar, window, text);  // the rest: show both
}

// Installed when the layer loads, if stderr is a terminal.
bool InstallForTerminal() {
    if (!isatty(STDERR_FILENO) || getenv("QR_NO_TERMINAL_PROGRESS")) return false;
    WinLayer_SetTerminalDisplay(STDERR_FILENO);
    return true;
}

[[maybe_unused]] const bool gInstalled = InstallForTerminal();

}  // namespace

void WinLayer_SetTerminalDisplay(int fd) {
    gBar = {fd, nullptr, 0};
    userlayer::TextDisplay display = {&gBar, DrawText, nullptr};
    userlayer::SetTextDisplay(fd >= 0 ? &display : nullptr);
}
