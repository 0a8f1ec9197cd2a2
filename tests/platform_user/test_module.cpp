// UserTestModule.dll: a module whose resources hold one dialog template, and
// a second template with an unknown control class.
#include "test_dialogs.h"

namespace {

const QrDialogItem kItems[] = {TEST_DIALOG_ITEMS};
const QrDialogItem kBrokenItems[] = {{7, "NOSUCHCLASS", "", 0, 0, 0, 10, 10}};

const QrDialogTemplate kDialogs[] = {
    {TEST_DIALOG_ID, "Module Dialog", "MS Sans Serif", 10, TEST_DIALOG_STYLE, 166, 43, kItems, 4},
    {301, "Broken", "MS Sans Serif", 10, WS_POPUP, 50, 20, kBrokenItems, 1},
};

}  // namespace

QR_EXPORT const QrResourceTable QrModuleResources = {nullptr, 0, kDialogs, 2};
