// What the user-side tests share: a window class whose procedure records every
// message it gets, and a fixture that checks each test leaves no window, timer
// message or drawing context behind.
#ifndef QR_TESTS_PLATFORM_USER_SUPPORT_H
#define QR_TESTS_PLATFORM_USER_SUPPORT_H

#include "win32.h"
#include "winlayer_test.h"

#include <gtest/gtest.h>

#include <vector>

struct Recorded {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;
};

// Registers the recorder class once per process.
void RegisterRecorder();

// Messages the recorder windows received, in order (all threads).
std::vector<Recorded> RecordedMessages();
std::vector<UINT> RecordedFor(HWND window);
void ClearRecorded();

// A window of class "UserTestRecorder" (top-level unless a parent is given).
HWND CreateRecorder(const char *title = "", HWND parent = nullptr, int id = 0, DWORD style = 0);

// Removes every message waiting for the calling thread (without dispatching).
void DrainQueue();

class UserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    long windowsBefore_ = 0;
    long contextsBefore_ = 0;
};

#endif
