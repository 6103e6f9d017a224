// TransparentBlit on memory canvases, checked pixel for pixel against the reference model:
// the mask comes from the palette index, the destination stays as it was under transparent
// pixels, and the frame bitmap keeps its own pixels.
#include <gtest/gtest.h>

#include "gdi_test_support.h"
#include "render/dib_layout.h"
#include "test_frames.h"

namespace {

constexpr uint32_t kRed = 0xE01010, kGreen = 0x10E010, kBlue = 0x1010E0, kGrey = 0x808080;
constexpr int kWidth = 24, kHeight = 16;

uint32_t Under(int x, int y) {
    return uint32_t(x * 9) << 16 | uint32_t(y * 13) << 8 | 0x40;
}

class TransparentBlitTest : public ::testing::Test {
protected:
    ScreenDescriptorRecord screen{};
    std::vector<FrameImage*> frames;
    PixelCanvas destination;

    void SetUp() override {
        Stage.gif.ScreenDescriptor = screen;
        destination = MakeCanvas(kWidth, kHeight, 0);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                destination.pixels[y * kWidth + x] = Under(x, y);
    }
    void TearDown() override {
        FreeCanvas(destination);
        for (FrameImage* frame : frames)
            FreeFrameImage(frame);
    }

    // The frame drawn 1:1 into a bitmap compatible with the destination, selected nowhere.
    HBITMAP FrameBitmap(const FrameImage* frame, HGLOBAL dib) {
        HBITMAP bitmap = CreateCompatibleBitmap(destination.dc, frame->width, frame->height);
        HDC dc = CreateCompatibleDC(destination.dc);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        RECT whole = {0, 0, frame->width, frame->height};
        DrawDib(dc, &whole, dib, &whole, nullptr);
        SelectObject(dc, previous);
        DeleteDC(dc);
        return bitmap;
    }

    // Blits the frame at its own (left, top) and compares with the model over the same
    // destination; the frame bitmap must come back unchanged.
    void BlitAndCompare(FrameImage* frame) {
        frames.push_back(frame);
        HGLOBAL dib = BuildFrameDib(frame, Stage.gif.ScreenDescriptor);
        HBITMAP bitmap = FrameBitmap(frame, dib);
        const ModelImage before = ReadBitmap(bitmap);

        CompositionModel model;
        ModelStart(model, screen, CanvasImage(destination));
        FrameNode node = MakeNode(frame, 0);
        const ModelImage expected = ModelCompose(model, &node, 0, 0);

        TransparentBlit(destination.dc, bitmap, frame->left, frame->top, nullptr, frame);
        EXPECT_EQ(FirstDifference(CanvasImage(destination), expected), "");
        EXPECT_EQ(FirstDifference(ReadBitmap(bitmap), before), "");
        DeleteObject(bitmap);
        GlobalFree(dib);
    }
};

TEST_F(TransparentBlitTest, IndexZeroIsTransparent) {
    BlitAndCompare(MakeFrame(4, 2, 0, 0, {kRed, kGreen},
                             {0, 1, 1, 0,
                              1, 0, 0, 1}, 0));
    EXPECT_EQ(CanvasPixel(destination, 0, 0), Under(0, 0));
    EXPECT_EQ(CanvasPixel(destination, 1, 0), kGreen);
}

TEST_F(TransparentBlitTest, UnusedTransparentIndexLeavesEveryPixelOpaque) {
    BlitAndCompare(MakeFrame(3, 2, 0, 0, {kRed, kGreen, kBlue, kGrey},
                             {0, 1, 2, 2, 1, 0}, 3));
    EXPECT_EQ(CanvasPixel(destination, 0, 0), kRed);
    EXPECT_EQ(CanvasPixel(destination, 2, 0), kBlue);
}

TEST_F(TransparentBlitTest, ColourAtTheTransparentIndexStaysVisibleAtItsOtherIndex) {
    // Index 2 and index 0 are both red; only index 2 is transparent.
    BlitAndCompare(MakeFrame(4, 1, 0, 0, {kRed, kGreen, kRed}, {0, 2, 1, 2}, 2));
    EXPECT_EQ(CanvasPixel(destination, 0, 0), kRed);
    EXPECT_EQ(CanvasPixel(destination, 1, 0), Under(1, 0));
    EXPECT_EQ(CanvasPixel(destination, 3, 0), Under(3, 0));
}

TEST_F(TransparentBlitTest, SmallFrameCoversOnlyItsOwnRectangle) {
    std::vector<int> pixels(5 * 4, 1);
    pixels[6] = 0;  // one transparent pixel inside
    BlitAndCompare(MakeFrame(5, 4, 7, 9, {kBlue, kGrey}, pixels, 0));
    EXPECT_EQ(CanvasPixel(destination, 7, 9), kGrey);
    EXPECT_EQ(CanvasPixel(destination, 8, 10), Under(8, 10));
    EXPECT_EQ(CanvasPixel(destination, 6, 9), Under(6, 9));
    EXPECT_EQ(CanvasPixel(destination, 12, 13), Under(12, 13));
}

TEST_F(TransparentBlitTest, WorksAtEveryDepthAndFromTheGlobalTable) {
    std::vector<uint32_t> table;
    for (int i = 0; i < 200; ++i)
        table.push_back(uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i * 3 & 0xFF));
    std::vector<int> pixels;
    for (int i = 0; i < 10 * 6; ++i)
        pixels.push_back(i * 7 % 200);
    BlitAndCompare(MakeFrame(10, 6, 2, 3, table, pixels, 14));   // 8 bits, 14 used twice

    for (int i = 0; i < 10 * 6; ++i)
        pixels[i] = i % 9;
    BlitAndCompare(MakeFrame(10, 6, 13, 1, {table.begin(), table.begin() + 9}, pixels, 4));

    SetGlobalTable(screen, table, 256, 1);
    Stage.gif.ScreenDescriptor = screen;
    for (int i = 0; i < 10 * 6; ++i)
        pixels[i] = (i * 5) % 256;
    BlitAndCompare(MakeFrame(10, 6, 5, 8, {}, pixels, 0));
}

}  // namespace
