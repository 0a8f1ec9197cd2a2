// The test program's own resources: the class library finds its dialog
// templates in the module it is linked into, which here is the program.
#include "test_dialogs.h"

namespace {

const QrDialogItem kItems[] = {TEST_DIALOG_ITEMS};

const QrDialogTemplate kDialogs[] = {
    {TEST_DIALOG_ID, "Program Dialog", "MS Sans Serif", 10, TEST_DIALOG_STYLE, 166, 43, kItems, 4},
};

}  // namespace

QR_EXPORT const QrResourceTable QrModuleResources = {nullptr, 0, kDialogs, 1};

// Two modules of the process export QrModuleResources, as every Windows module
// has its own resources; AddressSanitizer would take that for a one-definition
// violation.
QR_EXPORT const char *__asan_default_options(void) { return "detect_odr_violation=1"; }
