// The module's resources for the Linux layer, which finds them under the
// exported name QrModuleResources (Windows reads qvsmod.rc instead).
#if !defined(_WIN32)

#include "resource_table.h"
#include "sim_resource_ids.h"

namespace {

const QrDialogItem kScanItems[] = {
    {IDC_SIM_STATUS, "STATIC", "", SIM_STATUS_STYLE, SIM_STATUS_RECT},
    {IDC_SIM_SCAN, "BUTTON", SIM_SCAN_TEXT, SIM_SCAN_STYLE, SIM_SCAN_RECT},
    {IDC_SIM_CLOSE, "BUTTON", SIM_CLOSE_TEXT, SIM_CLOSE_STYLE, SIM_CLOSE_RECT},
};

const QrDialogTemplate kDialogs[] = {
    {IDD_SIM_SCAN, SIM_DLG_CAPTION, SIM_DLG_FONT, SIM_DLG_POINTS, SIM_DLG_STYLE, SIM_DLG_WIDTH, SIM_DLG_HEIGHT,
     kScanItems, sizeof kScanItems / sizeof kScanItems[0]},
};

}  // namespace

QR_EXPORT const QrResourceTable QrModuleResources = {nullptr, 0, kDialogs, sizeof kDialogs / sizeof kDialogs[0]};

#endif
