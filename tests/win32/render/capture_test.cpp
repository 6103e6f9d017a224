// Screen capture from the test desktop, whose root window shows the known pattern.
#include <gtest/gtest.h>

#include "desktop_pattern.h"
#include "gdi_test_support.h"

namespace {

void ExpectPattern(const ModelImage& image, int left, int top) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            ASSERT_EQ(ModelPixel(image, x, y), DesktopPatternPixel(left + x, top + y))
                << "screen " << left + x << "," << top + y;
}

HPALETTE SomePalette() {
    struct {
        WORD version, count;
        PALETTEENTRY entries[2];
    } record = {0x300, 2, {{10, 20, 30, 0}, {200, 100, 50, 0}}};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&record));
}

TEST(CaptureScreenRect, GivesTheDesktopUnderTheRectangle) {
    RECT area = {200, 150, 328, 246};
    HBITMAP shot = CaptureScreenRect(&area, nullptr);
    ASSERT_NE(shot, nullptr);
    ModelImage image = ReadBitmap(shot);
    DeleteObject(shot);
    ASSERT_EQ(image.width, 128);
    ASSERT_EQ(image.height, 96);
    ExpectPattern(image, 200, 150);
}

TEST(CaptureScreenRect, WithAPaletteCapturesTheSameAndLeavesThePaletteAlive) {
    HPALETTE palette = SomePalette();
    RECT area = {700, 500, 760, 530};
    HBITMAP shot = CaptureScreenRect(&area, palette);
    ASSERT_NE(shot, nullptr);
    ExpectPattern(ReadBitmap(shot), 700, 500);
    DeleteObject(shot);
    EXPECT_EQ(GetObjectType(palette), DWORD(OBJ_PAL));
    EXPECT_TRUE(DeleteObject(palette));
}

TEST(CaptureScreenRect, NullRectangleGivesNull) {
    EXPECT_EQ(CaptureScreenRect(nullptr, nullptr), nullptr);
}

TEST(CaptureScreenRect, LeavesNoObjectBehindWithOrWithoutPalette) {
    HPALETTE palette = SomePalette();
    RECT area = {0, 0, 32, 32};
    DeleteObject(CaptureScreenRect(&area, palette));  // lets Wine make its lazy objects
    const int before = CountLiveGdiObjects();
    for (int i = 0; i < 20; ++i) {
        DeleteObject(CaptureScreenRect(&area, nullptr));
        DeleteObject(CaptureScreenRect(&area, palette));
    }
    EXPECT_EQ(CountLiveGdiObjects(), before);
    DeleteObject(palette);
}

TEST(CaptureScreen, TakesTheWholeScreen) {
    HBITMAP shot = CaptureScreen(nullptr);
    ASSERT_NE(shot, nullptr);
    ModelImage image = ReadBitmap(shot);
    DeleteObject(shot);
    ASSERT_EQ(image.width, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(image.height, GetSystemMetrics(SM_CYSCREEN));
    for (POINT p : {POINT{0, 0}, POINT{1023, 0}, POINT{0, 767}, POINT{1023, 767}, POINT{517, 389}})
        EXPECT_EQ(ModelPixel(image, p.x, p.y), DesktopPatternPixel(p.x, p.y)) << p.x << "," << p.y;
}

}  // namespace
