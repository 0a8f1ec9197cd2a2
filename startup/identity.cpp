// The source's identity, as the scan module names the scanner.
#include "modules.h"
#include "protocol.h"
#include "scan_module.h"

#include <string.h>

// GetProductName promises strings of up to 33 characters in 36-byte buffers;
// a longer one is cut to fit the identity's 34-byte fields.
static const size_t kProductStringBuffer = 36;

static void CopyIdentityString(TW_STR32 field, const char *text) {
    size_t length = strnlen(text, sizeof(TW_STR32) - 1);
    memcpy(field, text, length);
    field[length] = '\0';
}

void InitIdentity(TW_IDENTITY *identity) {
    char productName[kProductStringBuffer] = {};
    char manufacturer[kProductStringBuffer] = {};
    char productFamily[kProductStringBuffer] = {};
    char versionInfo[kProductStringBuffer] = {};
    TW_UINT16 majorNum = 0, minorNum = 0;
    ScanModuleOps.GetProductName(productName, TWLG_USA, &majorNum, &minorNum, manufacturer, productFamily, versionInfo);
    // Whatever the scan module wrote, each buffer ends within itself.
    productName[kProductStringBuffer - 1] = manufacturer[kProductStringBuffer - 1] = '\0';
    productFamily[kProductStringBuffer - 1] = versionInfo[kProductStringBuffer - 1] = '\0';

    identity->Id = 0;
    identity->ProtocolMajor = SpeaksTwain24() ? 2 : TWON_PROTOCOLMAJOR;
    identity->ProtocolMinor = SpeaksTwain24() ? 4 : TWON_PROTOCOLMINOR;
    identity->Version.MajorNum = majorNum;
    identity->Version.MinorNum = minorNum;
    identity->Version.Language = TWLG_USA;
    identity->Version.Country = TWCY_TAIWAN;
    // DF_DS2: a TWAIN 2 Source Manager hands us its entry point (DAT_ENTRYPOINT).
    identity->SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
    CopyIdentityString(identity->Manufacturer, manufacturer);
    CopyIdentityString(identity->ProductName, productName);
    CopyIdentityString(identity->ProductFamily, productFamily);
    CopyIdentityString(identity->Version.Info, versionInfo);
}
