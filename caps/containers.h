// The TWAIN containers in global memory: four builders for the answers the
// source hands to the application, four readers for the values it is given
// with MSG_SET, and the item-size and TW_FIX32 helpers.
#ifndef QR_CAPS_CONTAINERS_H
#define QR_CAPS_CONTAINERS_H

#include "store.h"
#include "win32.h"

// Bytes of one item of `itemType`; 2 for codes the source does not know.
TW_UINT16 ItemSize(TW_UINT16 itemType);

TW_FIX32 IntToFix32(TW_INT32 n);
TW_FIX32 FloatToFix32(float x);
// A TW_FIX32 as one 32-bit item: the whole part in the low half.
TW_UINT32 Fix32Item(TW_FIX32 value);

// Builders: each allocates a moveable block, stores its handle in
// hContainer and sets ConType. FALSE (hContainer 0, ConType unchanged) when
// the block cannot be had; the block then never reaches the application.
BOOL BuildOneValue(pTW_CAPABILITY cap, TW_UINT16 itemType, TW_UINT32 value);
BOOL BuildOneValueText(pTW_CAPABILITY cap, TW_UINT16 itemType, const char *text);
BOOL BuildEnumeration(pTW_CAPABILITY cap, const EnumDescriptor *descriptor, const void *items);
BOOL BuildRange(pTW_CAPABILITY cap, const TW_RANGE *range);
BOOL BuildArray(pTW_CAPABILITY cap, TW_UINT16 itemType, TW_UINT32 count, const void *items);

// Readers: take one item of the application's container into `holding`,
// sign-extended for signed item types and zero-extended otherwise. FALSE,
// with `holding` untouched, when the container cannot be read safely: no
// block, a block too small for what its head claims, an index beyond its
// items, or an item type the source does not know.
BOOL ReadOneValue(pTW_CAPABILITY cap, TW_UINT32 *holding);
BOOL ReadEnumerationCurrent(pTW_CAPABILITY cap, TW_UINT32 *holding);
BOOL ReadRangeCurrent(pTW_CAPABILITY cap, TW_UINT32 *holding);
BOOL ReadArrayItem(pTW_CAPABILITY cap, TW_UINT32 *holding, TW_UINT32 index);

#endif
