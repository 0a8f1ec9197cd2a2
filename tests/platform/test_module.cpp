// KernelTestModule.dll: a module with a string table, a function and a data
// symbol, loaded by the module and string tests.
#include "resource_table.h"

namespace {

const QrStringResource kStrings[] = {
    {1, "Hello"},
    {2, "A longer string for truncation"},
    {10, "TIF"},
};

int answer(void) { return 42; }

}  // namespace

QR_EXPORT const QrResourceTable QrModuleResources = {kStrings, sizeof(kStrings) / sizeof(kStrings[0]), nullptr, 0};

QR_EXPORT int KernelTestModule_Answer(void) { return answer(); }

// The address of a function that is not exported, for lookups by address.
QR_EXPORT void *KernelTestModule_InnerAddress(void) { return reinterpret_cast<void *>(&answer); }
