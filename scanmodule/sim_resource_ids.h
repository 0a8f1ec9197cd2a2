// The scan dialog's template, defined once for both resource forms: the .rc
// script on Windows and the exported resource table on Linux. Plain macros
// only, so that the resource compiler can read this file too.
#ifndef QR_SIM_RESOURCE_IDS_H
#define QR_SIM_RESOURCE_IDS_H

#define IDD_SIM_SCAN 100
#define IDC_SIM_STATUS 1001
#define IDC_SIM_SCAN 1002
#define IDC_SIM_CLOSE 1003

#define SIM_DLG_CAPTION "QR Simulated Scanner"
#define SIM_DLG_FONT "MS Sans Serif"
#define SIM_DLG_POINTS 8
#define SIM_DLG_STYLE (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT)
#define SIM_DLG_WIDTH 200
#define SIM_DLG_HEIGHT 66

#define SIM_STATUS_STYLE (WS_CHILD | WS_VISIBLE | SS_LEFT)
#define SIM_STATUS_RECT 8, 8, 184, 28
#define SIM_SCAN_TEXT "Scan"
#define SIM_SCAN_STYLE (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON)
#define SIM_SCAN_RECT 40, 44, 50, 14
#define SIM_CLOSE_TEXT "Close"
#define SIM_CLOSE_STYLE (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON)
#define SIM_CLOSE_RECT 110, 44, 50, 14

#endif
