// Takes pictures of the data source's two dialogs as a user sees them, for
// the documentation: the progress dialog part-way through a transfer and the
// debug dialog at a stop. Writes each as a BMP file:
//     dialog_screenshots.exe PROGRESS.bmp DEBUG.bmp
#include "ui/debug_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/resource.h"

#include <stdio.h>
#include <vector>

namespace {

void PumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// The window's rectangle of the screen, as a bottom-up 24-bit BMP file.
bool SaveWindow(HWND window, const char *path) {
    RECT frame;
    GetWindowRect(window, &frame);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    DWORD imageBytes = rowBytes * height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof format.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    FILE *out = copied ? fopen(path, "wb") : nullptr;
    bool written = out != nullptr && fwrite(&file, sizeof file, 1, out) == 1 &&
                   fwrite(&format.bmiHeader, sizeof format.bmiHeader, 1, out) == 1 &&
                   fwrite(bits, 1, imageBytes, out) == imageBytes;
    if (out != nullptr) written = fclose(out) == 0 && written;
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

bool ProgressPicture(const char *path) {
    ProgressCount progress = {};
    ProgressDialog dialog(&progress);
    if (!dialog.Open(PROGRESS_TITLE) || !dialog.Begin(0, 100)) return false;
    PumpFor(300);
    progress.steps = 42;
    PumpFor(300);  // the timer draws the bar
    ReleaseCapture();
    bool saved = SaveWindow(dialog.m_hWnd, path);
    dialog.End();
    return saved;
}

bool DebugPicture(const char *path) {
    DebugDialog dialog(TRUE);
    if (!dialog.Open("Debug Dialog")) return false;
    dialog.SetMessage("Block 12 of 40 received");
    PostMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DEBUG_SKIP, 0), 0);
    dialog.Pause();  // shows the message, then the posted Skip lets it go
    PumpFor(300);
    return SaveWindow(dialog.m_hWnd, path);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: dialog_screenshots PROGRESS.bmp DEBUG.bmp\n");
        return 2;
    }
    // The data source's application object paints its dialogs light grey.
    CWinApp app("QRVM");
    app.SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
    bool ok = ProgressPicture(argv[1]);
    ok = DebugPicture(argv[2]) && ok;
    return ok ? 0 : 1;
}
