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

#endif
