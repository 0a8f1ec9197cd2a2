// Capabilities from the command line: --xfer and --set CAP=VALUE become
// MSG_SET triplets with a TW_ONEVALUE; --all-options lists every capability
// the source supports.
#ifndef QR_QRSCAN_CAPS_H
#define QR_QRSCAN_CAPS_H

#include <string>
#include <vector>

#include "twain_session.h"

struct CapSetting {
    TW_UINT16 cap;
    std::string value;
};

// "ICAP_PIXELTYPE=TWPT_GRAY" (names in any case, or a number for the
// capability); FALSE with *error for an unknown capability.
bool ParseCapSetting(const std::string &text, CapSetting *setting, std::string *error);

// Sets one value: the item type comes from the source's MSG_GETCURRENT
// answer. FALSE with *error for a value that does not parse; a refused
// MSG_SET leaves its reason in the session's lastError and *error empty.
bool ApplyCapSetting(TwainSession *s, const CapSetting &setting, std::string *error);

// One line per capability: current, default, allowed, and the messages it
// answers (MSG_QUERYSUPPORT). The capabilities are those the source lists in
// CAP_SUPPORTEDCAPS, or, for a source that lists none, every one it answers
// MSG_GET for.
void ListCapabilities(TwainSession *s);

#endif
