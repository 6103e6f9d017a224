// DrawSunkenFrame drawn into a 32-bit memory bitmap: every pixel of both rings in its system
// colour, nothing drawn inside or outside them, and the context's pen put back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "about/sunken_frame.h"

namespace {

constexpr int kWidth = 40, kHeight = 30;
constexpr uint32_t kPaper = 0x123456;

uint32_t SystemColour(int index) {
    const COLORREF c = GetSysColor(index);
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
}

// The frame round (l, t, r, b): outer ring on the rectangle's edge, inner ring inside it.
std::vector<uint32_t> ExpectedFrame(int l, int t, int r, int b) {
    std::vector<uint32_t> image(kWidth * kHeight, kPaper);
    auto put = [&](int x, int y, int colour) { image[y * kWidth + x] = SystemColour(colour); };
    for (int x = l; x <= r - 2; ++x) put(x, t, COLOR_BTNSHADOW);
    for (int y = t; y <= b - 2; ++y) put(l, y, COLOR_BTNSHADOW);
    for (int x = l + 1; x <= r - 3; ++x) put(x, t + 1, COLOR_3DDKSHADOW);
    for (int y = t + 1; y <= b - 3; ++y) put(l + 1, y, COLOR_3DDKSHADOW);
    for (int y = t; y <= b - 1; ++y) put(r - 1, y, COLOR_BTNHIGHLIGHT);
    for (int x = l; x <= r - 1; ++x) put(x, b - 1, COLOR_BTNHIGHLIGHT);
    for (int y = t + 1; y <= b - 2; ++y) put(r - 2, y, COLOR_3DLIGHT);
    for (int x = l + 1; x <= r - 2; ++x) put(x, b - 2, COLOR_3DLIGHT);
    return image;
}

std::string Mismatches(const std::vector<uint32_t>& expected, const uint32_t* actual) {
    std::string text;
    int count = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (expected[y * kWidth + x] != actual[y * kWidth + x] && ++count <= 10) {
                char line[96];
                wsprintfA(line, "(%d, %d): expected %06x, got %06x\n", x, y,
                          expected[y * kWidth + x], actual[y * kWidth + x] & 0xFFFFFF);
                text += line;
            }
    return count ? std::to_string(count) + " pixels differ\n" + text : "";
}

TEST(SunkenFrame, ShadowOnTopAndLeftLightOnBottomAndRightPenRestored) {
    ASSERT_NE(SystemColour(COLOR_BTNSHADOW), SystemColour(COLOR_3DDKSHADOW));
    ASSERT_NE(SystemColour(COLOR_BTNHIGHLIGHT), SystemColour(COLOR_3DLIGHT));

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;   // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(nullptr, bitmap);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < kWidth * kHeight; ++i)
        pixels[i] = kPaper;
    HPEN own = CreatePen(PS_SOLID, 0, RGB(1, 2, 3));
    SelectObject(dc, own);

    const RECT rect = {10, 8, 30, 22};
    DrawSunkenFrame(dc, &rect);
    GdiFlush();

    EXPECT_EQ(own, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ("", Mismatches(ExpectedFrame(10, 8, 30, 22), pixels));

    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(own);
    SelectObject(dc, previousBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

}  // namespace
