// TWAIN capability containers as qrscan reads and builds them: the four
// container types, items of every type. A container the source hands back
// is checked against its block's size before it is read, when that size can
// be known (global memory); a Linux pointer's is not, and its record is
// trusted as far as it goes.
#ifndef QR_CAP_CONTAINER_H
#define QR_CAP_CONTAINER_H

#include <stdint.h>

#include <string>
#include <vector>

#include "twain.h"
#include "win32.h"

struct CapItem {
    std::vector<uint8_t> bytes;  // the item as stored, TwainItemBytes(type) bytes
};

struct CapAnswer {
    TW_UINT16 conType = 0;
    TW_UINT16 itemType = 0;
    std::vector<CapItem> items;  // the list (enumeration, array), or the one value
    bool hasCurrent = false, hasDefault = false;
    CapItem current, fallback;       // a range's or an enumeration's current and default
    CapItem minimum, maximum, step;  // a range
};

// Reads a container's `size` bytes (locked by the caller); FALSE for one
// that is malformed or larger than its block.
bool ReadContainer(TW_UINT16 conType, const void *bytes, size_t size, CapAnswer *answer);

// A TW_ONEVALUE of `itemType` holding `item`, written into `block`
// (sizeof(TW_ONEVALUE) bytes); FALSE when the type is not a number.
bool WriteOneValue(void *block, TW_UINT16 itemType, TW_UINT32 item);

// An item for a person: a value name when the capability has one, a
// fixed-point number, TRUE or FALSE, a string.
std::string ItemText(TW_UINT16 cap, TW_UINT16 itemType, const CapItem &item);
// The number in an item of up to four bytes (FIX32 as its raw 32 bits).
TW_UINT32 ItemNumber(TW_UINT16 itemType, const CapItem &item);

// `text` as an item of `itemType` for capability `cap`: a value name, a
// number, a decimal for FIX32, TRUE or FALSE for BOOL. FALSE when it is none.
bool ParseItem(TW_UINT16 cap, TW_UINT16 itemType, const std::string &text, TW_UINT32 *item);

#endif
