// Device contexts, stock objects and what drawing leaves behind.
#include "support.h"

#include <cstring>

namespace {

class Drawing : public UserTest {};

const COLORREF kInvalidColor = 0xFFFFFFFF;

}  // namespace

TEST_F(Drawing, ContextsAreCheckedAndReleasedOnceToTheirOwnWindow) {
    HWND window = CreateRecorder();
    HWND other = CreateRecorder();
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1024);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 768);
    EXPECT_EQ(ReleaseDC(other, dc), 0);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    EXPECT_EQ(SetBkColor(dc, 0), kInvalidColor);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 0);
    HDC madeUp = reinterpret_cast<HDC>(window);  // a window handle is no context
    EXPECT_EQ(SetTextColor(madeUp, 0), kInvalidColor);
    EXPECT_FALSE(ExtTextOutA(madeUp, 0, 0, 0, nullptr, "x", 1, nullptr));
    DestroyWindow(window);
    DestroyWindow(other);
}

TEST_F(Drawing, TextOutKeepsTextRectangleColoursAndAlignment) {
    HWND bar = CreateRecorder();
    HDC dc = GetDC(bar);
    EXPECT_EQ(SetBkColor(dc, RGB(0, 0, 255)), RGB(255, 255, 255));
    EXPECT_EQ(SetTextColor(dc, RGB(255, 255, 255)), RGB(0, 0, 0));
    EXPECT_EQ(SetTextAlign(dc, TA_CENTER | TA_TOP), static_cast<UINT>(TA_TOP));
    RECT done = {0, 0, 120, 16};
    ASSERT_TRUE(ExtTextOutA(dc, 155, 0, ETO_CLIPPED | ETO_OPAQUE, &done, "42%xyz", 3, nullptr));

    WinLayerTextOut out;
    ASSERT_TRUE(WinLayer_GetLastTextOut(bar, &out));
    EXPECT_EQ(out.count, 1);
    EXPECT_STREQ(out.text, "42%");
    EXPECT_EQ(out.x, 155);
    EXPECT_EQ(out.options, static_cast<UINT>(ETO_CLIPPED | ETO_OPAQUE));
    EXPECT_EQ(out.rect.right, 120);
    EXPECT_EQ(out.background, RGB(0, 0, 255));
    EXPECT_EQ(out.foreground, RGB(255, 255, 255));
    EXPECT_EQ(out.align, static_cast<UINT>(TA_CENTER));

    std::string longText(300, 'a');
    ExtTextOutA(dc, 0, 0, 0, nullptr, longText.c_str(), static_cast<UINT>(longText.size()), nullptr);
    ASSERT_TRUE(WinLayer_GetLastTextOut(bar, &out));
    EXPECT_EQ(out.count, 2);
    EXPECT_EQ(std::strlen(out.text), sizeof out.text - 1);
    ReleaseDC(bar, dc);
    DestroyWindow(bar);
}

TEST_F(Drawing, RectangleUsesTheSelectedObjectsAndMode) {
    HWND window = CreateRecorder();
    HDC dc = GetDC(window);
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(SelectObject(dc, GetStockObject(4)), white);  // BLACK_BRUSH replaces the default white
    EXPECT_EQ(SelectObject(dc, white), GetStockObject(4));
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(dc)), nullptr);
    EXPECT_EQ(SetROP2(dc, R2_XORPEN), 13);  // R2_COPYPEN before
    ASSERT_TRUE(Rectangle(dc, -2, -2, 314, 18));

    WinLayerRectangle out;
    ASSERT_TRUE(WinLayer_GetLastRectangle(window, &out));
    EXPECT_EQ(out.rect.left, -2);
    EXPECT_EQ(out.rect.right, 314);
    EXPECT_EQ(out.rop2, R2_XORPEN);
    EXPECT_EQ(out.brush, white);
    EXPECT_EQ(out.pen, GetStockObject(BLACK_PEN));
    ReleaseDC(window, dc);
    DestroyWindow(window);
}

TEST_F(Drawing, DestroyingAWindowTakesItsContextsButKeepsWhatWasDrawn) {
    HWND window = CreateRecorder();
    HDC dc = GetDC(window);
    ExtTextOutA(dc, 0, 0, 0, nullptr, "100%", 4, nullptr);
    DestroyWindow(window);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    EXPECT_FALSE(ExtTextOutA(dc, 0, 0, 0, nullptr, "x", 1, nullptr));
    WinLayerTextOut out;
    ASSERT_TRUE(WinLayer_GetLastTextOut(window, &out));
    EXPECT_STREQ(out.text, "100%");
}
