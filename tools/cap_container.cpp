#include "cap_container.h"
#include "twain_items.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "twain_values.h"

namespace {

uint32_t Get32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
uint16_t Get16(const uint8_t *p) { return (uint16_t)(p[0] | p[1] << 8); }

// The containers' fixed parts, in TWAIN's 2-byte packing.
const size_t kOneValueItem = 2;
const size_t kEnumList = 14;
const size_t kArrayList = 6;
const size_t kRangeBytes = 22;

CapItem ItemAt(const uint8_t *p, size_t size) { return CapItem{std::vector<uint8_t>(p, p + size)}; }

// A range keeps every value in 32 bits, whatever the item type.
CapItem RangeValue(const uint8_t *p, TW_UINT16 itemType) {
    size_t size = TwainItemBytes(itemType);
    return ItemAt(p, size <= 4 ? size : 4);
}

// No capability lists this many values: a count beyond it is garbage, and
// is refused even where the block's size is not known.
const uint32_t kMostItems = 65536;

bool ReadList(const uint8_t *p, size_t blockSize, size_t listOffset, size_t itemSize, uint32_t count,
              CapAnswer *answer) {
    if (count > kMostItems || count > (blockSize - listOffset) / itemSize) return false;
    for (uint32_t i = 0; i < count; ++i) answer->items.push_back(ItemAt(p + listOffset + i * itemSize, itemSize));
    return true;
}

bool ReadEnumeration(const uint8_t *p, size_t size, size_t itemSize, CapAnswer *a) {
    if (size < kEnumList) return false;
    uint32_t count = Get32(p + 2), current = Get32(p + 6), fallback = Get32(p + 10);
    if (!ReadList(p, size, kEnumList, itemSize, count, a)) return false;
    a->hasCurrent = current < count;
    a->hasDefault = fallback < count;
    if (a->hasCurrent) a->current = a->items[current];
    if (a->hasDefault) a->fallback = a->items[fallback];
    return true;
}

bool ReadRange(const uint8_t *p, size_t size, CapAnswer *a) {
    if (size < kRangeBytes) return false;
    a->minimum = RangeValue(p + 2, a->itemType);
    a->maximum = RangeValue(p + 6, a->itemType);
    a->step = RangeValue(p + 10, a->itemType);
    a->fallback = RangeValue(p + 14, a->itemType);
    a->current = RangeValue(p + 18, a->itemType);
    a->hasCurrent = a->hasDefault = true;
    return true;
}

bool ReadLocked(TW_UINT16 conType, const uint8_t *p, size_t size, CapAnswer *a) {
    if (size < 2) return false;
    a->conType = conType;
    a->itemType = Get16(p);
    size_t itemSize = TwainItemBytes(a->itemType);
    if (itemSize == 0) return false;
    switch (conType) {
    case TWON_ONEVALUE:
        if (size < kOneValueItem + itemSize) return false;
        a->items.push_back(ItemAt(p + kOneValueItem, itemSize));
        a->current = a->items[0];
        a->hasCurrent = true;
        return true;
    case TWON_ENUMERATION:
        return ReadEnumeration(p, size, itemSize, a);
    case TWON_ARRAY:
        return size >= kArrayList && ReadList(p, size, kArrayList, itemSize, Get32(p + 2), a);
    case TWON_RANGE:
        return ReadRange(p, size, a);
    default:
        return false;
    }
}

std::string Fix32Text(TW_UINT32 raw) {
    double value = (int16_t)(raw & 0xFFFF) + (raw >> 16) / 65536.0;
    char text[32];
    snprintf(text, sizeof text, "%.4g", value);
    return text;
}

// A string item up to its terminator, with control characters escaped.
std::string QuotedText(const CapItem &item) {
    std::string text = "\"";
    for (uint8_t c : item.bytes) {
        if (c == 0) break;
        char escaped[8];
        snprintf(escaped, sizeof escaped, c == '\n' ? "\\n" : "\\x%02x", c);
        text += c >= 0x20 && c != 0x7F ? std::string(1, (char)c) : std::string(escaped);
    }
    return text + "\"";
}

std::string Lower(std::string text) {
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

bool IsNumberType(TW_UINT16 type) { return TwainItemBytes(type) > 0 && TwainItemBytes(type) <= 4; }

bool ParseFix32(const char *text, TW_UINT32 *item) {
    char *end = nullptr;
    double value = strtod(text, &end);
    if (end == text || *end || value < -32768 || value >= 32768) return false;
    double whole = floor(value);
    uint32_t frac = (uint32_t)lround((value - whole) * 65536.0);
    if (frac == 65536) {
        whole += 1;
        frac = 0;
    }
    *item = (uint16_t)(int16_t)whole | frac << 16;
    return true;
}

}  // namespace

bool ReadContainer(TW_UINT16 conType, const void *bytes, size_t size, CapAnswer *answer) {
    return bytes && ReadLocked(conType, static_cast<const uint8_t *>(bytes), size, answer);
}

bool WriteOneValue(void *block, TW_UINT16 itemType, TW_UINT32 item) {
    if (!block || !IsNumberType(itemType)) return false;
    TW_ONEVALUE value{};
    value.ItemType = itemType;
    value.Item = item;
    memcpy(block, &value, sizeof value);
    return true;
}

TW_UINT32 ItemNumber(TW_UINT16 itemType, const CapItem &item) {
    const uint8_t *p = item.bytes.data();
    switch (item.bytes.size()) {
    case 1:
        return itemType == TWTY_INT8 ? (TW_UINT32)(int32_t)(int8_t)p[0] : p[0];
    case 2:
        return itemType == TWTY_INT16 ? (TW_UINT32)(int32_t)(int16_t)Get16(p) : Get16(p);
    case 4:
        return Get32(p);
    default:
        return 0;
    }
}

std::string ItemText(TW_UINT16 cap, TW_UINT16 itemType, const CapItem &item) {
    if (item.bytes.size() > 4) {
        if (itemType == TWTY_FRAME) {
            const uint8_t *p = item.bytes.data();
            return Fix32Text(Get32(p)) + "," + Fix32Text(Get32(p + 4)) + "," + Fix32Text(Get32(p + 8)) + "," +
                   Fix32Text(Get32(p + 12));
        }
        return QuotedText(item);
    }
    TW_UINT32 number = ItemNumber(itemType, item);
    if (itemType == TWTY_FIX32) return Fix32Text(number);
    if (itemType == TWTY_BOOL) return number ? "TRUE" : "FALSE";
    if (const char *name = TwainValueName(cap, number)) return name;
    bool isSigned = itemType == TWTY_INT8 || itemType == TWTY_INT16 || itemType == TWTY_INT32;
    return isSigned ? std::to_string((int32_t)number) : std::to_string(number);
}

bool ParseItem(TW_UINT16 cap, TW_UINT16 itemType, const std::string &text, TW_UINT32 *item) {
    if (!IsNumberType(itemType) || text.empty()) return false;
    if (TwainValueByName(cap, text.c_str(), item)) return true;
    if (itemType == TWTY_FIX32) return ParseFix32(text.c_str(), item);
    if (itemType == TWTY_BOOL && (Lower(text) == "true" || Lower(text) == "false")) {
        *item = Lower(text) == "true";
        return true;
    }
    char *end = nullptr;
    long long number = strtoll(text.c_str(), &end, 0);
    if (*end || number < -2147483648LL || number > 4294967295LL) return false;
    *item = (TW_UINT32)number;
    return true;
}
