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

QR_EXPORT const QrResourceTable QrModuleResources = {
    kStrings, sizeof kStrings / sizeof kStrings[0], nullptr, 0,
};
#endif
