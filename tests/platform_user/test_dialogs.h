// The dialog template the user-side tests build, in the test module and in the
// test program alike.
#ifndef QR_TESTS_PLATFORM_USER_TEST_DIALOGS_H
#define QR_TESTS_PLATFORM_USER_TEST_DIALOGS_H

#include "resource_table.h"

#define TEST_DIALOG_ID 300
#define TEST_BAR_ID 1001
#define TEST_EDIT_ID 1002

// A progress-like dialog: a bar, an edit field and two buttons, all in dialog
// units (two pixels each).
#define TEST_DIALOG_ITEMS                                                         \
    {TEST_BAR_ID, "STATIC", "", SS_LEFTNOWORDWRAP | WS_GROUP, 5, 10, 155, 8},     \
        {TEST_EDIT_ID, "EDIT", "typed", WS_TABSTOP | WS_BORDER, 5, 25, 50, 12},   \
        {IDOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 25, 45, 14}, {  \
        IDCANCEL, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 115, 25, 45, 14 \
    }

#define TEST_DIALOG_STYLE (WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME)

#endif
