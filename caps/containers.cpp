#include "containers.h"

#include "little_endian.h"
#include "twain_items.h"
#include "startup/boundary_memory.h"

#include <string.h>

// Byte offsets of the container heads (TWAIN's 2-byte packing).
enum : size_t {
    ONEVALUE_ITEM = 2,
    ENUM_NUMITEMS = 2,
    ENUM_CURRENT = 6,
    ENUM_DEFAULT = 10,
    ENUM_LIST = 14,
    RANGE_CURRENT = 18,
    RANGE_SIZE = 22,
    ARRAY_NUMITEMS = 2,
    ARRAY_LIST = 6,
};
// Blocks are two bytes (enumeration) and one byte (array) longer than their
// heads, as the source has always allocated them.
static const size_t kEnumerationExtra = 2;
static const size_t kArrayExtra = 1;

// An item of a type TWAIN does not define is taken as two bytes, as the
// source has always sized it.
TW_UINT16 ItemSize(TW_UINT16 itemType) {
    TW_UINT16 bytes = TwainItemBytes(itemType);
    return bytes ? bytes : 2;
}

TW_FIX32 IntToFix32(TW_INT32 n) { return TW_FIX32{(TW_INT16)n, 0}; }

// A value beyond what a TW_FIX32 holds (a frame far out, an image the scan
// module says is miles long) comes out as the nearest it can hold.
TW_FIX32 FloatToFix32(float x) {
    long double scaled = (long double)x * 65536.0L + 0.5L;
    TW_INT32 v = scaled >= (long double)INT32_MAX   ? INT32_MAX
                 : scaled <= (long double)INT32_MIN ? INT32_MIN
                 : scaled == scaled                 ? (TW_INT32)scaled
                                                    : 0;
    return TW_FIX32{(TW_INT16)(v >> 16), (TW_UINT16)(v & 0xFFFF)};
}

TW_UINT32 Fix32Item(TW_FIX32 value) { return (TW_UINT32)(TW_UINT16)value.Whole | ((TW_UINT32)value.Frac << 16); }

// Allocates the answer's block, in the memory the application frees, and
// locks it. On any failure nothing is left allocated and the application's
// record is unchanged.
static TW_UINT8 *NewContainer(pTW_CAPABILITY cap, TW_UINT16 conType, size_t bytes) {
    TW_HANDLE block = AllocBoundary(bytes);
    if (!block) return nullptr;
    size_t size = 0;
    TW_UINT8 *data = static_cast<TW_UINT8 *>(LockBoundary(block, &size));
    if (!data) {
        FreeBoundary(block);
        return nullptr;
    }
    cap->hContainer = block;
    cap->ConType = conType;
    return data;
}

static BOOL FinishContainer(pTW_CAPABILITY cap) {
    UnlockBoundary(cap->hContainer);
    return TRUE;
}

static BOOL Failed(pTW_CAPABILITY cap) {
    cap->hContainer = nullptr;
    return FALSE;
}

BOOL BuildOneValue(pTW_CAPABILITY cap, TW_UINT16 itemType, TW_UINT32 value) {
    TW_UINT8 *data = NewContainer(cap, TWON_ONEVALUE, sizeof(TW_ONEVALUE));
    if (!data) return Failed(cap);
    PutLE16(data, itemType);
    PutLE32(data + ONEVALUE_ITEM, value);
    return FinishContainer(cap);
}

BOOL BuildOneValueText(pTW_CAPABILITY cap, TW_UINT16 itemType, const char *text) {
    size_t field = ItemSize(itemType);
    TW_UINT8 *data = NewContainer(cap, TWON_ONEVALUE, ONEVALUE_ITEM + field);
    if (!data) return Failed(cap);
    PutLE16(data, itemType);
    memset(data + ONEVALUE_ITEM, 0, field);
    size_t length = strnlen(text, field - 1);
    memcpy(data + ONEVALUE_ITEM, text, length);
    return FinishContainer(cap);
}

BOOL BuildEnumeration(pTW_CAPABILITY cap, const EnumDescriptor *descriptor, const void *items) {
    size_t listBytes = (size_t)descriptor->NumItems * ItemSize(descriptor->ItemType);
    TW_UINT8 *data = NewContainer(cap, TWON_ENUMERATION, ENUM_LIST + kEnumerationExtra + listBytes);
    if (!data) return Failed(cap);
    PutLE16(data, descriptor->ItemType);
    PutLE32(data + ENUM_NUMITEMS, descriptor->NumItems);
    PutLE32(data + ENUM_CURRENT, descriptor->CurrentIndex);
    PutLE32(data + ENUM_DEFAULT, descriptor->DefaultIndex);
    memcpy(data + ENUM_LIST, items, listBytes);
    return FinishContainer(cap);
}

BOOL BuildRange(pTW_CAPABILITY cap, const TW_RANGE *range) {
    TW_UINT8 *data = NewContainer(cap, TWON_RANGE, RANGE_SIZE);
    if (!data) return Failed(cap);
    memcpy(data, range, RANGE_SIZE);
    return FinishContainer(cap);
}

BOOL BuildArray(pTW_CAPABILITY cap, TW_UINT16 itemType, TW_UINT32 count, const void *items) {
    size_t listBytes = (size_t)count * ItemSize(itemType);
    TW_UINT8 *data = NewContainer(cap, TWON_ARRAY, ARRAY_LIST + kArrayExtra + listBytes);
    if (!data) return Failed(cap);
    PutLE16(data, itemType);
    PutLE32(data + ARRAY_NUMITEMS, count);
    memcpy(data + ARRAY_LIST, items, listBytes);
    return FinishContainer(cap);
}

// Bytes of an item the readers take: the first four of the wide types;
// none of a type the source does not know.
static size_t ReadWidth(TW_UINT16 itemType) {
    size_t width = TwainItemBytes(itemType);
    return width < 4 ? width : 4;
}

static TW_UINT32 Widen(const TW_UINT8 *item, TW_UINT16 itemType) {
    switch (itemType) {
    case TWTY_INT8:
        return (TW_UINT32)(TW_INT32)(TW_INT8)item[0];
    case TWTY_UINT8:
        return item[0];
    case TWTY_INT16:
        return (TW_UINT32)(TW_INT32)(TW_INT16)GetLE16(item);
    case TWTY_UINT16:
    case TWTY_BOOL:
        return GetLE16(item);
    default:
        return GetLE32(item);
    }
}

// The application's container, locked; unlocked again when it goes out of
// scope. Null data when the handle is not a live block. A plain pointer's
// size cannot be known: its head is trusted, as TWAIN expects.
class LockedContainer {
public:
    explicit LockedContainer(TW_HANDLE handle)
        : handle_(handle), data_(static_cast<const TW_UINT8 *>(LockBoundary(handle, &size_))) {}
    ~LockedContainer() {
        if (data_) UnlockBoundary(handle_);
    }
    LockedContainer(const LockedContainer &) = delete;
    LockedContainer &operator=(const LockedContainer &) = delete;

    // The bytes [offset, offset + length) when the block holds them.
    const TW_UINT8 *At(size_t offset, size_t length) const {
        if (!data_ || offset > size_ || length > size_ - offset) return nullptr;
        return data_ + offset;
    }

private:
    TW_HANDLE handle_;
    size_t size_ = 0;
    const TW_UINT8 *data_;
};

// Takes the item at `offset` (given the container's item type) into holding.
static BOOL TakeItem(const LockedContainer &block, size_t offset, TW_UINT16 itemType, TW_UINT32 *holding) {
    size_t width = ReadWidth(itemType);
    const TW_UINT8 *item = width ? block.At(offset, width) : nullptr;
    if (!item) return FALSE;
    *holding = Widen(item, itemType);
    return TRUE;
}

static const TW_UINT8 *Head(const LockedContainer &block, size_t headBytes) { return block.At(0, headBytes); }

BOOL ReadOneValue(pTW_CAPABILITY cap, TW_UINT32 *holding) {
    LockedContainer block(cap->hContainer);
    const TW_UINT8 *head = Head(block, ONEVALUE_ITEM);
    return head && TakeItem(block, ONEVALUE_ITEM, GetLE16(head), holding);
}

// The item `index` of a list starting at `listOffset`, when the list has it.
static BOOL TakeListItem(const LockedContainer &block, size_t listOffset, TW_UINT16 itemType, TW_UINT32 count,
                         TW_UINT32 index, TW_UINT32 *holding) {
    if (index >= count) return FALSE;
    size_t offset = listOffset + (size_t)index * ItemSize(itemType);
    return TakeItem(block, offset, itemType, holding);
}

BOOL ReadEnumerationCurrent(pTW_CAPABILITY cap, TW_UINT32 *holding) {
    LockedContainer block(cap->hContainer);
    const TW_UINT8 *head = Head(block, ENUM_LIST);
    if (!head) return FALSE;
    return TakeListItem(block, ENUM_LIST, GetLE16(head), GetLE32(head + ENUM_NUMITEMS), GetLE32(head + ENUM_CURRENT),
                        holding);
}

BOOL ReadRangeCurrent(pTW_CAPABILITY cap, TW_UINT32 *holding) {
    LockedContainer block(cap->hContainer);
    const TW_UINT8 *head = Head(block, RANGE_SIZE);
    return head && TakeItem(block, RANGE_CURRENT, GetLE16(head), holding);
}

BOOL ReadArrayItem(pTW_CAPABILITY cap, TW_UINT32 *holding, TW_UINT32 index) {
    LockedContainer block(cap->hContainer);
    const TW_UINT8 *head = Head(block, ARRAY_LIST);
    if (!head) return FALSE;
    return TakeListItem(block, ARRAY_LIST, GetLE16(head), GetLE32(head + ARRAY_NUMITEMS), index, holding);
}
