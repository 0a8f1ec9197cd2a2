#include "qrscan_caps.h"

#include <stdio.h>
#include <stdlib.h>

#include "cap_container.h"
#include "twain_names.h"

namespace {

// MSG_GET, MSG_GETCURRENT or MSG_GETDEFAULT; the container is read and
// freed here, as its owner must. A container handed back with a failure (a
// source may answer a disabled feeder so) is freed unread.
bool Ask(TwainSession *s, TW_UINT16 cap, TW_UINT16 msg, CapAnswer *answer) {
    TW_CAPABILITY request{};
    request.Cap = cap;
    request.ConType = TWON_DONTCARE16;
    TW_UINT16 rc = SourceCall(s, "asking for a capability", DG_CONTROL, DAT_CAPABILITY, msg, &request);
    if (!request.hContainer) return false;
    if (rc != TWRC_SUCCESS) {
        FreeHandle(s, request.hContainer);
        return false;
    }
    size_t size = 0;
    const void *bytes = LockHandle(s, request.hContainer, &size);
    bool ok = ReadContainer(request.ConType, bytes, size, answer);
    if (bytes) UnlockHandle(s, request.hContainer);
    FreeHandle(s, request.hContainer);
    return ok;
}

// A TW_ONEVALUE in the memory the manager's convention asks for; null when
// memory is short or the type is not a number.
TW_HANDLE OneValue(TwainSession *s, TW_UINT16 itemType, TW_UINT32 item) {
    TW_HANDLE handle = AllocHandle(s, sizeof(TW_ONEVALUE));
    size_t size = 0;
    void *block = handle ? LockHandle(s, handle, &size) : nullptr;
    bool written = WriteOneValue(block, itemType, item);
    if (block) UnlockHandle(s, handle);
    if (written) return handle;
    FreeHandle(s, handle);
    return nullptr;
}

// An array's item: the capabilities and triplets a source lists by name.
std::string ArrayItemText(TW_UINT16 cap, TW_UINT16 itemType, const CapItem &item) {
    TW_UINT32 number = ItemNumber(itemType, item);
    if (cap == CAP_SUPPORTEDCAPS) return TwainCapName((uint16_t)number);
    if (cap == CAP_SUPPORTEDDATS)
        return std::string(TwainDGName(number >> 16)) + "/" + TwainDATName((uint16_t)(number & 0xFFFF));
    return ItemText(cap, itemType, item);
}

std::string ListText(TW_UINT16 cap, const CapAnswer &a) {
    if (a.conType == TWON_RANGE)
        return ItemText(cap, a.itemType, a.minimum) + " to " + ItemText(cap, a.itemType, a.maximum) + " in steps of " +
               ItemText(cap, a.itemType, a.step);
    std::string text;
    for (const CapItem &item : a.items) text += (text.empty() ? "" : ", ") + ArrayItemText(cap, a.itemType, item);
    return text;
}

// The messages MSG_QUERYSUPPORT says the capability answers, as
// " {GET GETCURRENT ...}"; empty when the source does not say.
std::string QuerySupportText(TwainSession *s, TW_UINT16 cap) {
    CapAnswer support;
    if (!Ask(s, cap, MSG_QUERYSUPPORT, &support) || support.conType != TWON_ONEVALUE || support.items.empty())
        return "";
    static const struct {
        TW_UINT32 bit;
        const char *name;
    } kBits[] = {{TWQC_GET, "GET"},
                 {TWQC_GETCURRENT, "GETCURRENT"},
                 {TWQC_GETDEFAULT, "GETDEFAULT"},
                 {TWQC_SET, "SET"},
                 {TWQC_RESET, "RESET"}};
    TW_UINT32 bits = ItemNumber(support.itemType, support.items[0]);
    std::string text;
    for (const auto &b : kBits)
        if (bits & b.bit) text += std::string(text.empty() ? "" : " ") + b.name;
    return " {" + text + "}";
}

// One capability; `listed` is true for one the source named in
// CAP_SUPPORTEDCAPS, which is shown even when MSG_GET is refused.
void ListOne(TwainSession *s, TW_UINT16 cap, bool listed) {
    CapAnswer answer;
    bool got = Ask(s, cap, MSG_GET, &answer);
    if (!got && !listed) return;
    std::string line = "  " + std::string(TwainCapName(cap));
    line.resize(26, ' ');
    if (got && answer.conType == TWON_ARRAY) {
        line += "[" + ListText(cap, answer) + "]";
    } else if (got) {
        std::string current = answer.hasCurrent ? ItemText(cap, answer.itemType, answer.current) : "?";
        std::string fallback = answer.hasDefault ? ItemText(cap, answer.itemType, answer.fallback) : "";
        CapAnswer asked;
        if (!answer.hasDefault && Ask(s, cap, MSG_GETDEFAULT, &asked) && asked.hasCurrent)
            fallback = ItemText(cap, asked.itemType, asked.current);
        line += current;
        if (!fallback.empty()) line += " (default " + fallback + ")";
        if (answer.conType != TWON_ONEVALUE) line += " [" + ListText(cap, answer) + "]";
    } else {
        line += "?";
    }
    printf("%s%s\n", line.c_str(), QuerySupportText(s, cap).c_str());
}

// The capabilities the source lists (CAP_SUPPORTEDCAPS); false when it
// lists none, as a TWAIN 1.x source does.
bool SupportedCaps(TwainSession *s, std::vector<TW_UINT16> *caps) {
    CapAnswer answer;
    if (!Ask(s, CAP_SUPPORTEDCAPS, MSG_GET, &answer) || answer.conType != TWON_ARRAY) return false;
    for (const CapItem &item : answer.items) caps->push_back((TW_UINT16)ItemNumber(answer.itemType, item));
    return true;
}

}  // namespace

bool ParseCapSetting(const std::string &text, CapSetting *setting, std::string *error) {
    size_t equals = text.find('=');
    std::string name = text.substr(0, equals);
    setting->value = equals == std::string::npos ? "" : text.substr(equals + 1);
    uint16_t cap = 0;
    char *end = nullptr;
    unsigned long number = strtoul(name.c_str(), &end, 0);
    if (TwainCapByName(name.c_str(), &cap)) {
        setting->cap = cap;
    } else if (!name.empty() && *end == '\0' && number > 0 && number <= 0xFFFF) {
        setting->cap = (TW_UINT16)number;
    } else {
        *error = "--set: unknown capability '" + name + "'";
        return false;
    }
    return true;
}

bool ApplyCapSetting(TwainSession *s, const CapSetting &setting, std::string *error) {
    error->clear();
    CapAnswer current;
    // A capability that will not say its type is taken as a 16-bit number.
    TW_UINT16 itemType = Ask(s, setting.cap, MSG_GETCURRENT, &current) ? current.itemType : TWTY_UINT16;
    TW_UINT32 item = 0;
    if (!ParseItem(setting.cap, itemType, setting.value, &item)) {
        *error = "--set: '" + setting.value + "' is no value for " + TwainCapName(setting.cap);
        return false;
    }
    TW_CAPABILITY request{};
    request.Cap = setting.cap;
    request.ConType = TWON_ONEVALUE;
    request.hContainer = OneValue(s, itemType, item);
    if (!request.hContainer) {
        *error = "--set: no memory for the value of " + std::string(TwainCapName(setting.cap));
        return false;
    }
    TW_UINT16 rc = SourceCall(s, "setting a capability", DG_CONTROL, DAT_CAPABILITY, MSG_SET, &request);
    FreeHandle(s, request.hContainer);
    if (rc == TWRC_FAILURE)
        s->lastError.step = std::string("setting ") + TwainCapName(setting.cap) + " to " + setting.value;
    return rc == TWRC_SUCCESS || rc == TWRC_CHECKSTATUS;
}

void ListCapabilities(TwainSession *s) {
    std::vector<TW_UINT16> caps;
    if (SupportedCaps(s, &caps)) {
        printf("Capabilities (the source's CAP_SUPPORTEDCAPS; {} the messages each answers):\n");
        for (TW_UINT16 cap : caps) ListOne(s, cap, true);
    } else {
        printf("Capabilities (the source lists none: each known one that answers MSG_GET):\n");
        for (size_t i = 0; i < TwainCapCount(); ++i) ListOne(s, TwainCapAt(i), false);
    }
    fflush(stdout);
}
