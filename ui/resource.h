// Resource ids and texts of the data source. The one source of truth for its
// strings: the resource script includes it on Windows, and the Linux resource
// table is built from it.
#ifndef QR_UI_RESOURCE_H
#define QR_UI_RESOURCE_H

#define IDS_AUTHOR 8
#define IDS_CAPTION 9
#define IDS_FILE_EXTENSION 10

#define STR_AUTHOR "VORDEN"
#define STR_CAPTION "Quorix Scanners Color Images."
#define STR_FILE_EXTENSION "TIF"

#define IDD_PROGRESS 102
#define IDD_DEBUG 103
#define IDI_DEBUG_SMALL 104
#define IDI_DEBUG_LARGE 105

// Dialog 102, the progress of a transfer: the bar (1001) and Cancel.
#define IDC_PROGRESS_BAR 1001
#define PROGRESS_DIALOG_CAPTION "Begin Data Transfer"
#define PROGRESS_DIALOG_FONT_SIZE 10
#define PROGRESS_DIALOG_FONT "MS Sans Serif"
#define PROGRESS_DIALOG_STYLE (DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION)
#define PROGRESS_DIALOG_WIDTH 166
#define PROGRESS_DIALOG_HEIGHT 43
#define PROGRESS_BAR_STYLE (SS_LEFTNOWORDWRAP | WS_GROUP)
#define PROGRESS_BAR_X 5
#define PROGRESS_BAR_Y 10
#define PROGRESS_BAR_WIDTH 155
#define PROGRESS_BAR_HEIGHT 8
#define PROGRESS_CANCEL_TEXT "Cancel"
#define PROGRESS_CANCEL_STYLE (BS_PUSHBUTTON | WS_TABSTOP)
#define PROGRESS_CANCEL_X 115
#define PROGRESS_CANCEL_Y 25
#define PROGRESS_CANCEL_WIDTH 45
#define PROGRESS_CANCEL_HEIGHT 14

#endif
