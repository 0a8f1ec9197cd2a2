#include "file_setup.h"

#include "startup/modules.h"
#include "store.h"
#include "ui/resource.h"

#include <string.h>

TW_SETUPFILEXFER gSetupFileXfer;
TW_SETUPFILEXFER gDefaultSetupFileXfer;

static const UINT kDefaultFileNumber = 0x5168;

// "<temp>QRX5168.TMP" into `name`; the bare name when the temporary folder is
// too long for the record, so the default never names a cut path.
static void ComposeDefaultTempName(char *name, size_t size) {
    char tempDir[MAX_PATH];
    DWORD length = GetTempPathA(sizeof tempDir, tempDir);
    if (length == 0 || length >= sizeof tempDir) tempDir[0] = '\0';
    char composed[MAX_PATH + 16];
    if (GetTempFileNameA(tempDir, "QRX", kDefaultFileNumber, composed) == 0 || strlen(composed) >= size)
        GetTempFileNameA("", "QRX", kDefaultFileNumber, composed);
    size_t kept = strnlen(composed, size - 1);
    memcpy(name, composed, kept);
    name[kept] = '\0';
}

// Replaces what follows the last '.' with `extension`, when it fits.
static void ReplaceExtension(char *name, size_t size, const char *extension) {
    char *dot = strrchr(name, '.');
    if (!dot) return;
    size_t keep = (size_t)(dot - name) + 1;
    if (keep + strlen(extension) >= size) return;
    strcpy(name + keep, extension);
}

void InitDefaultFileXfer() {
    TW_SETUPFILEXFER &setup = gDefaultSetupFileXfer;
    memset(&setup, 0, sizeof setup);
    ComposeDefaultTempName(setup.FileName, sizeof setup.FileName);
    DeleteFileA(setup.FileName);  // a stale file of that name goes

    char extension[34];
    if (LoadStringA(ghInstance, IDS_FILE_EXTENSION, extension, sizeof extension) > 0)
        ReplaceExtension(setup.FileName, sizeof setup.FileName, extension);
    setup.Format = gFileFormatDefault < 2 ? FileFormatList[gFileFormatDefault] : gFileFormatDefault;
    setup.VRefNum = 0;
    gSetupFileXfer = setup;
}
