// The data source's resources on Linux, served by the layer's LoadString and
// CreateDialogParam. On Windows the resource script holds the same.
#if !defined(_WIN32)
#include "resource.h"
#include "resource_table.h"

static const QrStringResource kStrings[] = {
    {IDS_AUTHOR, STR_AUTHOR},
    {IDS_CAPTION, STR_CAPTION},
    {IDS_FILE_EXTENSION, STR_FILE_EXTENSION},
};

static const QrDialogItem kProgressItems[] = {
    {IDC_PROGRESS_BAR, "STATIC", "", PROGRESS_BAR_STYLE | WS_CHILD | WS_VISIBLE, PROGRESS_BAR_X, PROGRESS_BAR_Y,
     PROGRESS_BAR_WIDTH, PROGRESS_BAR_HEIGHT},
    {IDCANCEL, "BUTTON", PROGRESS_CANCEL_TEXT, PROGRESS_CANCEL_STYLE | WS_CHILD | WS_VISIBLE, PROGRESS_CANCEL_X,
     PROGRESS_CANCEL_Y, PROGRESS_CANCEL_WIDTH, PROGRESS_CANCEL_HEIGHT},
};

static const QrDialogTemplate kDialogs[] = {
    {IDD_PROGRESS, PROGRESS_DIALOG_CAPTION, PROGRESS_DIALOG_FONT, PROGRESS_DIALOG_FONT_SIZE, PROGRESS_DIALOG_STYLE,
     PROGRESS_DIALOG_WIDTH, PROGRESS_DIALOG_HEIGHT, kProgressItems, sizeof kProgressItems / sizeof kProgressItems[0]},
};

QR_EXPORT const QrResourceTable QrModuleResources = {
    kStrings, sizeof kStrings / sizeof kStrings[0], kDialogs, sizeof kDialogs / sizeof kDialogs[0],
};
#endif
