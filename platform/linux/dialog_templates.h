// Finding a dialog template among a module's resources.
#ifndef QR_PLATFORM_LINUX_DIALOG_TEMPLATES_H
#define QR_PLATFORM_LINUX_DIALOG_TEMPLATES_H

#include "resource_table.h"

namespace userlayer {

// The template named by MAKEINTRESOURCE(id) or "#id" in the resource table of
// the module (null instance: the main program), or null with the error set.
const QrDialogTemplate *FindDialogTemplate(HINSTANCE instance, LPCSTR name);

}  // namespace userlayer

#endif
