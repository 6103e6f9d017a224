// FrameDibs in movable memory, their inspection, palettes and DrawDib on real GDI: the
// bytes handed to GDI are the ones the portable layout predicts, and drawing them gives the
// frame's colours pixel for pixel at every depth, from local and global tables.
#include <gtest/gtest.h>

#include <cstring>

#include "gdi_test_support.h"
#include "render/dib_layout.h"
#include "test_frames.h"

namespace {

std::vector<uint32_t> Table(int count) {
    std::vector<uint32_t> table;
    for (int i = 0; i < count; ++i)
        table.push_back(uint32_t((i * 37) & 0xFF) << 16 | uint32_t((i * 91 + 5) & 0xFF) << 8 |
                        uint32_t((255 - i * 13) & 0xFF));
    return table;
}

std::vector<int> Pixels(int width, int height, int count) {
    std::vector<int> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back((x * 7 + y * 3) % count);
    return pixels;
}

class DibGdiTest : public ::testing::Test {
protected:
    std::vector<FrameImage*> frames;
    std::vector<HGLOBAL> dibs;
    void SetUp() override { Stage.gif.ScreenDescriptor = ScreenDescriptorRecord{}; }
    void TearDown() override {
        for (FrameImage* frame : frames)
            FreeFrameImage(frame);
        for (HGLOBAL dib : dibs)
            GlobalFree(dib);
        if (Stage.GlobalPalette) {
            DeleteObject(Stage.GlobalPalette);
            Stage.GlobalPalette = nullptr;
        }
        Stage.gif.ScreenDescriptor = ScreenDescriptorRecord{};
    }
    FrameImage* Keep(FrameImage* frame) {
        frames.push_back(frame);
        return frame;
    }
    HGLOBAL Dib(const FrameImage* frame) {
        HGLOBAL dib = BuildFrameDib(frame, Stage.gif.ScreenDescriptor);
        if (dib)
            dibs.push_back(dib);
        return dib;
    }
    void ExpectBytesOfLayout(const FrameImage* frame) {
        FrameDibLayout layout;
        ASSERT_TRUE(ComputeFrameDibLayout(frame, Stage.gif.ScreenDescriptor, &layout));
        std::vector<uint8_t> expected(layout.totalBytes);
        WriteFrameDib(frame, Stage.gif.ScreenDescriptor, layout, expected.data());
        HGLOBAL dib = Dib(frame);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(GlobalFlags(dib) & GMEM_LOCKCOUNT, 0u);  // handed back unlocked
        ASSERT_GE(GlobalSize(dib), layout.totalBytes);
        const uint8_t* bytes = static_cast<const uint8_t*>(GlobalLock(dib));
        ASSERT_NE(bytes, nullptr);
        EXPECT_NE(static_cast<const void*>(bytes), static_cast<const void*>(dib));  // movable
        EXPECT_EQ(std::memcmp(bytes, expected.data(), layout.totalBytes), 0);
        GlobalUnlock(dib);
    }
};

TEST_F(DibGdiTest, BuildFrameDibHandsGdiTheBytesOfThePortableLayout) {
    ExpectBytesOfLayout(Keep(MakeFrame(9, 2, 0, 0, Table(2), Pixels(9, 2, 2))));
    ExpectBytesOfLayout(Keep(MakeFrame(3, 4, 0, 0, Table(3), Pixels(3, 4, 3))));
    ExpectBytesOfLayout(Keep(MakeFrame(7, 3, 0, 0, Table(16), Pixels(7, 3, 16))));
    ExpectBytesOfLayout(Keep(MakeFrame(5, 2, 0, 0, Table(17), Pixels(5, 2, 17))));
    ExpectBytesOfLayout(Keep(MakeFrame(31, 9, 0, 0, Table(256), Pixels(31, 9, 256))));
    ExpectBytesOfLayout(Keep(MakeFrame(6, 1, 0, 0, Table(2), Pixels(6, 1, 2))));
    // On the global table without a global table: globalColourCount entries of whatever
    // the arrays hold.
    SetGlobalTable(Stage.gif.ScreenDescriptor, Table(32), 32, 0);
    ExpectBytesOfLayout(Keep(MakeFrame(5, 3, 0, 0, {}, Pixels(5, 3, 2))));
    EXPECT_EQ(BuildFrameDib(nullptr, Stage.gif.ScreenDescriptor), nullptr);
}

TEST_F(DibGdiTest, InspectionReadsTheHeader) {
    HGLOBAL dib = Dib(Keep(MakeFrame(5, 3, 0, 0, Table(17), Pixels(5, 3, 17))));
    BITMAPINFOHEADER* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    EXPECT_EQ(DibColourCount(header), 17);
    EXPECT_EQ(DibColourTableSize(header), 68);
    EXPECT_EQ(DibBits(header), reinterpret_cast<BYTE*>(header) + 40 + 68);
    EXPECT_EQ(DibHeight(header), 3);
    header->biClrUsed = 0;  // the count then comes from the depth
    EXPECT_EQ(DibColourCount(header), 256);
    header->biBitCount = 4;
    EXPECT_EQ(DibColourCount(header), 16);
    header->biBitCount = 1;
    EXPECT_EQ(DibColourTableSize(header), 8);
    GlobalUnlock(dib);
}

TEST_F(DibGdiTest, PaletteFromDibCopiesTheColourTable) {
    const std::vector<uint32_t> table = Table(5);
    HGLOBAL dib = Dib(Keep(MakeFrame(2, 2, 0, 0, table, {0, 1, 4, 3})));
    HPALETTE palette = PaletteFromDib(dib);
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[8] = {};
    EXPECT_EQ(GetPaletteEntries(palette, 0, 8, entries), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(entries[i].peRed, table[i] >> 16 & 0xFF);
        EXPECT_EQ(entries[i].peGreen, table[i] >> 8 & 0xFF);
        EXPECT_EQ(entries[i].peBlue, table[i] & 0xFF);
        EXPECT_EQ(entries[i].peFlags, 0);
    }
    DeleteObject(palette);
    EXPECT_EQ(PaletteFromDib(nullptr), nullptr);
    // A tiny DIB with no table: the derived count of 2 would read past the block.
    FrameImage* noColours = Keep(MakeFlatFrame(1, 1, 0, 0, {}, 0));
    noColours->usesGlobalTable = 0;
    EXPECT_EQ(PaletteFromDib(Dib(noColours)), nullptr);
}

TEST_F(DibGdiTest, GlobalPaletteOnlyFromAGlobalTable) {
    SetGlobalTable(Stage.gif.ScreenDescriptor, Table(8), 8, 0);
    EXPECT_EQ(BuildGlobalPalette(&Stage), 0);
    EXPECT_EQ(Stage.GlobalPalette, nullptr);

    Stage.gif.ScreenDescriptor.hasGlobalTable = 1;
    EXPECT_EQ(BuildGlobalPalette(&Stage), 1);
    ASSERT_NE(Stage.GlobalPalette, nullptr);
    PALETTEENTRY entries[8] = {};
    EXPECT_EQ(GetPaletteEntries(Stage.GlobalPalette, 0, 8, entries), 8u);
    EXPECT_EQ(entries[7].peRed, Table(8)[7] >> 16);
    EXPECT_EQ(entries[7].peBlue, Table(8)[7] & 0xFF);

    HPALETTE first = Stage.GlobalPalette;
    Stage.gif.ScreenDescriptor.hasGlobalTable = 0;
    EXPECT_EQ(BuildGlobalPalette(&Stage), 0);
    EXPECT_EQ(Stage.GlobalPalette, first);  // unchanged
}

// The frame drawn at the canvas's top-left; everything right and below stays as it was.
void ExpectDrawnPixelForPixel(const FrameImage* frame, HGLOBAL dib) {
    const uint32_t untouched = 0x5A5A5A;
    PixelCanvas canvas = MakeCanvas(frame->width + 3, frame->height + 2, untouched);
    RECT whole = {0, 0, frame->width, frame->height};
    EXPECT_EQ(DrawDib(canvas.dc, &whole, dib, &whole, nullptr), frame->height);
    FrameDibLayout layout;
    ComputeFrameDibLayout(frame, Stage.gif.ScreenDescriptor, &layout);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const bool inside = x < frame->width && y < frame->height;
            const uint32_t expected =
                inside ? FrameDibColourOf(frame, Stage.gif.ScreenDescriptor, layout, GetPixel(frame, x, y))
                       : untouched;
            ASSERT_EQ(CanvasPixel(canvas, x, y), expected)
                << x << "," << y << " at " << layout.bitsPerPixel << " bits";
        }
    FreeCanvas(canvas);
}

TEST_F(DibGdiTest, DrawDibGivesTheFramesColoursAtEveryDepthFromALocalTable) {
    for (int count : {2, 5, 16, 40, 256}) {
        FrameImage* frame = Keep(MakeFrame(13, 5, 0, 0, Table(count), Pixels(13, 5, count)));
        ExpectDrawnPixelForPixel(frame, Dib(frame));
    }
}

TEST_F(DibGdiTest, DrawDibGivesTheFramesColoursAtEveryDepthFromTheGlobalTable) {
    for (int count : {2, 16, 128}) {
        SetGlobalTable(Stage.gif.ScreenDescriptor, Table(count), count, 1);
        FrameImage* frame = Keep(MakeFrame(11, 4, 0, 0, {}, Pixels(11, 4, count)));
        ExpectDrawnPixelForPixel(frame, Dib(frame));
    }
}

TEST_F(DibGdiTest, DrawDibOfNoDibOrATablelessDibDrawsNothing) {
    PixelCanvas canvas = MakeCanvas(4, 4, 0x123456);
    RECT whole = {0, 0, 4, 4};
    EXPECT_EQ(DrawDib(canvas.dc, &whole, nullptr, &whole, nullptr), 0);
    FrameImage* noColours = Keep(MakeFlatFrame(4, 4, 0, 0, {}, 1));
    noColours->usesGlobalTable = 0;
    EXPECT_EQ(DrawDib(canvas.dc, &whole, Dib(noColours), &whole, nullptr), 0);
    EXPECT_EQ(CanvasImage(canvas).pixels, std::vector<uint32_t>(16, 0x123456));
    FreeCanvas(canvas);
}

}  // namespace
