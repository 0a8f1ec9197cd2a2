// How a module hands its resources (string table, dialog templates) to the
// Linux layer. A module exports one QrResourceTable under the name
// QrModuleResources; LoadString and CreateDialogParam find it through the
// module's instance handle, as Windows finds a module's resource section.
// On Windows the same resources come from the module's .rc script.
#ifndef QR_PLATFORM_RESOURCE_TABLE_H
#define QR_PLATFORM_RESOURCE_TABLE_H

#include "win32.h"

struct QrStringResource {
    UINT id;
    const char *text;
};

// One control of a dialog template; positions in dialog units. Every control
// is made a visible child window (WS_CHILD | WS_VISIBLE are added to its
// style), as a resource compiler makes them.
struct QrDialogItem {
    WORD id;
    const char *className;  // "BUTTON", "STATIC", "EDIT"
    const char *text;
    DWORD style;
    short x, y, cx, cy;
};

struct QrDialogTemplate {
    WORD id;
    const char *caption;
    const char *fontName;
    WORD pointSize;
    DWORD style;
    short cx, cy;
    const QrDialogItem *items;
    WORD itemCount;
};

struct QrResourceTable {
    const QrStringResource *strings;
    size_t stringCount;
    const QrDialogTemplate *dialogs;
    size_t dialogCount;
};

#define QR_RESOURCE_SYMBOL "QrModuleResources"

#endif
