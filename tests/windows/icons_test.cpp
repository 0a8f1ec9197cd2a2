// The debug dialog's icons as Windows loads them from the resources the build
// draws from their text-art sources: both sizes of each, their colours where
// the drawing puts them, and a transparent surround.
#include "ui/debug_dialog.h"
#include "ui/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct IconPixels {
    int size = 0;
    std::vector<uint32_t> colour;  // 0xRRGGBB, top row first
    std::vector<bool> transparent;
};

IconPixels Load(int id, int size) {
    IconPixels pixels;
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon == nullptr) return pixels;
    ICONINFO info = {};
    GetIconInfo(icon, &info);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> colour(size * size), mask(size * size);
    HDC dc = GetDC(nullptr);
    int colourRows = GetDIBits(dc, info.hbmColor, 0, size, colour.data(), &format, DIB_RGB_COLORS);
    int maskRows = GetDIBits(dc, info.hbmMask, 0, size, mask.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    if (colourRows != size || maskRows != size) return pixels;
    pixels.size = size;
    for (int i = 0; i < size * size; ++i) {
        pixels.colour.push_back(colour[i] & 0xFFFFFF);
        pixels.transparent.push_back((mask[i] & 0xFFFFFF) != 0);
    }
    return pixels;
}

TEST(Icons, StopSignIsRedWithAWhiteBarInBothSizes) {
    for (int size : {32, 16}) {
        IconPixels stop = Load(IDI_DEBUG_SMALL, size);
        ASSERT_EQ(stop.size, size) << size;
        EXPECT_TRUE(stop.transparent[0]) << size;                                     // a corner
        EXPECT_FALSE(stop.transparent[(size / 2) * size + size / 2]);                 // the middle
        EXPECT_EQ(stop.colour[(size / 4) * size + size / 2], 0xE00000u) << size;      // above the bar
        EXPECT_EQ(stop.colour[(size / 2 - 1) * size + size / 2], 0xFFFFFFu) << size;  // the bar
    }
}

TEST(Icons, BeetleIsGreenAndBlackInBothSizes) {
    for (int size : {32, 16}) {
        IconPixels bug = Load(IDI_DEBUG_LARGE, size);
        ASSERT_EQ(bug.size, size) << size;
        EXPECT_TRUE(bug.transparent[0]) << size;
        EXPECT_EQ(bug.colour[(size * 9 / 16) * size + size / 2 - 3 * size / 32 - 1], 0x008000u) << size;
        EXPECT_EQ(bug.colour[(size * 9 / 16) * size + size / 2], 0x000000u) << size;  // the wing line
    }
}

TEST(Icons, DebugDialogShowsBothIcons) {
    DebugDialog dialog(FALSE);
    ASSERT_EQ(dialog.Open("Icons"), 1);
    for (int id : {IDC_DEBUG_ICON_SMALL, IDC_DEBUG_ICON_LARGE}) {
        HWND control = GetDlgItem(dialog.m_hWnd, id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_NE(SendMessageA(control, STM_GETICON, 0, 0), 0) << id;
    }
}

}  // namespace
