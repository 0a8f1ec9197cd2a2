// A user at the screen, played by a second thread: it waits for a dialog
// with a given caption to appear, notes what it looks like, and presses one
// of its buttons the way the mouse does (button down, button up), or by the
// command a keyboard shortcut sends.
#ifndef QR_TESTS_WINDOWS_DIALOG_PRESSER_H
#define QR_TESTS_WINDOWS_DIALOG_PRESSER_H

#include "win32.h"

#include <atomic>
#include <string>
#include <thread>

struct DialogSnapshot {
    HWND dialog = nullptr;
    RECT frame = {0, 0, 0, 0};
    LONG exStyle = 0;
    bool visible = false;
    HWND captureOfItsThread = nullptr;
    std::string text;  // of the control `textId`, when given
};

class DialogPresser {
public:
    enum class Press { Click, Command };

    DialogPresser(const char *caption, int buttonId, Press how = Press::Click, int textId = 0, DWORD timeoutMs = 30000);
    ~DialogPresser();
    DialogPresser(const DialogPresser &) = delete;
    DialogPresser &operator=(const DialogPresser &) = delete;

    // Waits for the watcher to finish; true when it found the dialog.
    bool Join();
    const DialogSnapshot &Seen() const { return seen_; }

private:
    void Watch(std::string caption, int buttonId, Press how, int textId, DWORD timeoutMs);

    DialogSnapshot seen_;
    std::atomic<bool> found_{false};
    std::thread thread_;
};

#endif
