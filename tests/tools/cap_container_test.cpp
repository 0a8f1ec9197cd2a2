// Capability values from the command line, and the containers a source
// hands back, read only as far as their block goes.
#include <gtest/gtest.h>

#include <string.h>

#include "cap_container.h"

namespace {

HGLOBAL Block(const void *bytes, size_t size) {
    HGLOBAL handle = GlobalAlloc(GHND, size);
    void *p = GlobalLock(handle);
    memcpy(p, bytes, size);
    GlobalUnlock(handle);
    return handle;
}

// Reads a container in global memory, locked as an application does.
bool Read(TW_UINT16 conType, HGLOBAL handle, CapAnswer *answer) {
    const void *bytes = handle ? GlobalLock(handle) : nullptr;
    bool ok = ReadContainer(conType, bytes, handle ? GlobalSize(handle) : 0, answer);
    if (bytes) GlobalUnlock(handle);
    return ok;
}

TW_UINT32 Parse(TW_UINT16 cap, TW_UINT16 type, const char *text, bool *ok) {
    TW_UINT32 item = 0xDEADBEEF;
    *ok = ParseItem(cap, type, text, &item);
    return item;
}

}  // namespace

TEST(CapContainer, ValuesByNameNumberAndFixedPoint) {
    bool ok = false;
    EXPECT_EQ(Parse(ICAP_PIXELTYPE, TWTY_UINT16, "twpt_gray", &ok), (TW_UINT32)TWPT_GRAY);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Parse(ICAP_XFERMECH, TWTY_UINT16, "TWSX_MEMORY", &ok), (TW_UINT32)TWSX_MEMORY);
    EXPECT_EQ(Parse(CAP_XFERCOUNT, TWTY_INT16, "-1", &ok), 0xFFFFFFFFu);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Parse(ICAP_XRESOLUTION, TWTY_FIX32, "600", &ok), 600u);
    EXPECT_EQ(Parse(ICAP_XRESOLUTION, TWTY_FIX32, "72.5", &ok), 72u | 0x8000u << 16);
    EXPECT_EQ(Parse(ICAP_BRIGHTNESS, TWTY_FIX32, "-0.25", &ok), 0xFFFFu | 0xC000u << 16) << "-1 + 0.75";
    EXPECT_EQ(Parse(CAP_AUTOFEED, TWTY_BOOL, "True", &ok), 1u);
    EXPECT_EQ(Parse(ICAP_PIXELTYPE, TWTY_UINT16, "0x2", &ok), 2u);
}

TEST(CapContainer, TextThatIsNoValueIsRefused) {
    bool ok = true;
    Parse(ICAP_PIXELTYPE, TWTY_UINT16, "TWPT_PURPLE", &ok);
    EXPECT_FALSE(ok);
    Parse(ICAP_XRESOLUTION, TWTY_FIX32, "600dpi", &ok);
    EXPECT_FALSE(ok);
    Parse(ICAP_XRESOLUTION, TWTY_FIX32, "40000", &ok);
    EXPECT_FALSE(ok) << "beyond a FIX32's whole part";
    Parse(ICAP_PIXELTYPE, TWTY_UINT16, "", &ok);
    EXPECT_FALSE(ok);
    Parse(CAP_AUTHOR, TWTY_STR128, "me", &ok);
    EXPECT_FALSE(ok) << "strings are not set from the command line";
}

TEST(CapContainer, ItemsShownByName) {
    CapItem gray{{TWPT_GRAY, 0}};
    EXPECT_EQ(ItemText(ICAP_PIXELTYPE, TWTY_UINT16, gray), "TWPT_GRAY");
    CapItem resolution{{0x48, 0x00, 0x00, 0x80}};  // 72.5
    EXPECT_EQ(ItemText(ICAP_XRESOLUTION, TWTY_FIX32, resolution), "72.5");
    CapItem minusOne{{0xFF, 0xFF}};
    EXPECT_EQ(ItemText(CAP_XFERCOUNT, TWTY_INT16, minusOne), "-1");
    CapItem text{std::vector<uint8_t>(34, 0)};
    memcpy(text.bytes.data(), "a\nb", 3);
    EXPECT_EQ(ItemText(CAP_AUTHOR, TWTY_STR32, text), "\"a\\nb\"");
}

TEST(CapContainer, EnumerationWithItsCurrentAndDefault) {
#pragma pack(push, 2)
    struct {
        TW_UINT16 type;
        TW_UINT32 count, current, fallback;
        TW_UINT16 items[3];
    } e = {TWTY_UINT16, 3, 2, 1, {TWPT_BW, TWPT_GRAY, TWPT_RGB}};
#pragma pack(pop)
    HGLOBAL handle = Block(&e, sizeof e);
    CapAnswer answer;
    ASSERT_TRUE(Read(TWON_ENUMERATION, handle, &answer));
    ASSERT_EQ(answer.items.size(), 3u);
    EXPECT_EQ(ItemNumber(TWTY_UINT16, answer.current), (TW_UINT32)TWPT_RGB);
    EXPECT_EQ(ItemNumber(TWTY_UINT16, answer.fallback), (TW_UINT32)TWPT_GRAY);
    GlobalFree(handle);
}

TEST(CapContainer, ContainersLargerThanTheirBlockAreRefused) {
#pragma pack(push, 2)
    struct {
        TW_UINT16 type;
        TW_UINT32 count, current, fallback;
        TW_UINT16 items[2];
    } e = {TWTY_UINT16, 1000000, 0, 0, {1, 2}};
#pragma pack(pop)
    HGLOBAL handle = Block(&e, sizeof e);
    CapAnswer answer;
    EXPECT_FALSE(Read(TWON_ENUMERATION, handle, &answer)) << "a million items in 18 bytes";
    GlobalFree(handle);

    const uint8_t oneValue[4] = {TWTY_UINT32, 0, 1, 2};
    handle = Block(oneValue, sizeof oneValue);
    EXPECT_FALSE(Read(TWON_ONEVALUE, handle, &answer)) << "a 32-bit item in 2 bytes";
    GlobalFree(handle);

    const uint8_t unknownType[6] = {0x77, 0, 0, 0, 0, 0};
    handle = Block(unknownType, sizeof unknownType);
    EXPECT_FALSE(Read(TWON_ONEVALUE, handle, &answer));
    EXPECT_FALSE(Read(TWON_ONEVALUE, nullptr, &answer));
    GlobalFree(handle);
}

TEST(CapContainer, OneValueBuiltForASet) {
    TW_ONEVALUE block;
    ASSERT_TRUE(WriteOneValue(&block, TWTY_FIX32, 600));
    CapAnswer answer;
    ASSERT_TRUE(ReadContainer(TWON_ONEVALUE, &block, sizeof block, &answer));
    EXPECT_EQ(answer.itemType, TWTY_FIX32);
    EXPECT_EQ(ItemNumber(TWTY_FIX32, answer.current), 600u);
    EXPECT_FALSE(WriteOneValue(&block, TWTY_STR255, 0));
}
