// FrameDib bytes against layouts worked out by hand: header fields, colour count and
// source, depth, stride, bottom-up rows and bit/nibble packing.
#include "render/dib_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_frames.h"

namespace {

std::vector<uint8_t> Header(int width, int height, int bits, uint32_t sizeImage, uint32_t count) {
    std::vector<uint8_t> h(40, 0);
    auto le32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = uint8_t(v >> (8 * i));
    };
    le32(0, 40);
    le32(4, uint32_t(width));
    le32(8, uint32_t(height));
    h[12] = 1;
    h[14] = uint8_t(bits);
    le32(20, sizeImage);
    le32(32, count);
    le32(36, count);
    return h;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> Build(const FrameImage* frame, const ScreenDescriptorRecord& screen) {
    FrameDibLayout layout;
    if (!ComputeFrameDibLayout(frame, screen, &layout))
        return {};
    std::vector<uint8_t> bytes(layout.totalBytes, 0xEE);  // garbage the writer must cover
    WriteFrameDib(frame, screen, layout, bytes.data());
    return bytes;
}

FrameDibLayout LayoutOf(const FrameImage* frame, const ScreenDescriptorRecord& screen) {
    FrameDibLayout layout{};
    ComputeFrameDibLayout(frame, screen, &layout);
    return layout;
}

class DibLayoutTest : public ::testing::Test {
protected:
    ScreenDescriptorRecord screen{};
    std::vector<FrameImage*> frames;
    FrameImage* Keep(FrameImage* frame) {
        frames.push_back(frame);
        return frame;
    }
    void TearDown() override {
        for (FrameImage* frame : frames)
            FreeFrameImage(frame);
    }
};

TEST_F(DibLayoutTest, TwoColoursNinePixelsWideGiveOneBitRowsWithTwoEntryTable) {
    FrameImage* frame = Keep(MakeFrame(9, 2, 0, 0, {0x0A141E, 0xC86432},
                                       {1, 0, 1, 1, 0, 0, 0, 1, 1,
                                        0, 1, 0, 0, 0, 0, 0, 0, 1}));
    std::vector<uint8_t> expected = Header(9, 2, 1, 8, 2);
    expected = Concat(expected, {0x1E, 0x14, 0x0A, 0, 0x32, 0x64, 0xC8, 0});
    expected = Concat(expected, {0x40, 0x80, 0, 0,     // bottom row first
                                 0xB1, 0x80, 0, 0});
    EXPECT_EQ(Build(frame, screen), expected);
}

TEST_F(DibLayoutTest, ThreeColoursOddWidthGiveFourBitsWithLowNibbleOfLastByteClear) {
    FrameImage* frame = Keep(MakeFrame(3, 1, 0, 0, {0x000000, 0x111111, 0x222222}, {2, 1, 2}));
    std::vector<uint8_t> expected = Header(3, 1, 4, 4, 3);
    expected = Concat(expected, {0, 0, 0, 0, 0x11, 0x11, 0x11, 0, 0x22, 0x22, 0x22, 0});
    expected = Concat(expected, {0x21, 0x20, 0, 0});
    EXPECT_EQ(Build(frame, screen), expected);
}

TEST_F(DibLayoutTest, DepthAndTableSizeFollowTheCount) {
    struct Case {
        int count, bits;
        uint32_t stride;  // for a 5-pixel-wide row
    } cases[] = {{1, 1, 4}, {2, 1, 4}, {3, 4, 4}, {16, 4, 4}, {17, 8, 8}, {255, 8, 8}, {256, 8, 8}};
    for (const Case& c : cases) {
        FrameImage* frame = Keep(MakeFlatFrame(5, 3, 0, 0, std::vector<uint32_t>(c.count, 0), 0));
        FrameDibLayout layout = LayoutOf(frame, screen);
        EXPECT_EQ(layout.bitsPerPixel, c.bits) << c.count;
        EXPECT_EQ(layout.colourCount, c.count) << c.count;
        EXPECT_EQ(layout.stride, c.stride) << c.count;
        EXPECT_EQ(layout.totalBytes, 40u + 4u * c.count + c.stride * 3) << c.count;
    }
}

TEST_F(DibLayoutTest, SeventeenColoursKeepExactlySeventeenEntriesAndBytePerPixel) {
    std::vector<uint32_t> table;
    for (int i = 0; i < 17; ++i)
        table.push_back(uint32_t(i) << 16 | uint32_t(2 * i) << 8 | uint32_t(3 * i));
    FrameImage* frame = Keep(MakeFrame(5, 1, 0, 0, table, {16, 0, 7, 15, 1}));
    std::vector<uint8_t> bytes = Build(frame, screen);
    ASSERT_EQ(bytes.size(), 40u + 68u + 8u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40), Header(5, 1, 8, 8, 17));
    EXPECT_EQ(bytes[40 + 16 * 4 + 0], 48);   // entry 16: blue, green, red, 0
    EXPECT_EQ(bytes[40 + 16 * 4 + 1], 32);
    EXPECT_EQ(bytes[40 + 16 * 4 + 2], 16);
    EXPECT_EQ(bytes[40 + 16 * 4 + 3], 0);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 108, bytes.end()),
              (std::vector<uint8_t>{16, 0, 7, 15, 1, 0, 0, 0}));
}

TEST_F(DibLayoutTest, GlobalTableFrameTakesGlobalColourCountEvenWithoutAGlobalTable) {
    // Colours left over from an earlier load; this file has no global table of its own.
    std::vector<uint32_t> earlier;
    for (int i = 0; i < 64; ++i)
        earlier.push_back(uint32_t(i + 1) << 16 | uint32_t(i + 2) << 8 | uint32_t(i + 3));
    SetGlobalTable(screen, earlier, 64, 0);
    FrameImage* frame = Keep(MakeFrame(2, 1, 0, 0, {}, {1, 0}));
    frame->red[0] = frame->green[0] = frame->blue[0] = 99;  // must not be used

    std::vector<uint8_t> bytes = Build(frame, screen);
    ASSERT_EQ(bytes.size(), 40u + 256u + 4u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40), Header(2, 1, 8, 4, 64));
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(bytes[40 + 4 * i + 0], i + 3);
        EXPECT_EQ(bytes[40 + 4 * i + 1], i + 2);
        EXPECT_EQ(bytes[40 + 4 * i + 2], i + 1);
        EXPECT_EQ(bytes[40 + 4 * i + 3], 0);
    }
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 296, bytes.end()),
              (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(DibLayoutTest, RowsAreStoredBottomUp) {
    FrameImage* frame = Keep(MakeFrame(2, 3, 0, 0, std::vector<uint32_t>(32, 0),
                                       {0, 1, 10, 11, 20, 21}));
    std::vector<uint8_t> bytes = Build(frame, screen);
    const size_t pixels = 40 + 32 * 4;
    ASSERT_EQ(bytes.size(), pixels + 12);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + pixels, bytes.end()),
              (std::vector<uint8_t>{20, 21, 0, 0, 10, 11, 0, 0, 0, 1, 0, 0}));
}

TEST_F(DibLayoutTest, OnePixelHighFrameIsOneRow) {
    FrameImage* frame = Keep(MakeFrame(4, 1, 0, 0, {0, 0xFFFFFF}, {0, 1, 1, 0}));
    std::vector<uint8_t> bytes = Build(frame, screen);
    EXPECT_EQ(bytes, Concat(Concat(Header(4, 1, 1, 4, 2), {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}),
                            {0x60, 0, 0, 0}));
}

TEST_F(DibLayoutTest, IndexWiderThanTheDepthStaysInItsOwnPixel) {
    FrameImage* narrow = Keep(MakeFrame(3, 1, 0, 0, {0, 0}, {0, 3, 0}));
    FrameImage* nibble = Keep(MakeFrame(2, 1, 0, 0, std::vector<uint32_t>(3, 0), {0, 0x13}));
    EXPECT_EQ(Build(narrow, screen)[48], 0x40);
    EXPECT_EQ(Build(nibble, screen)[52], 0x03);
}

TEST_F(DibLayoutTest, OwnTableWithNoColoursHasNoTableAndIsNotDrawable) {
    FrameImage* frame = Keep(MakeFlatFrame(3, 2, 0, 0, {}, 0));
    frame->usesGlobalTable = 0;
    FrameDibLayout layout = LayoutOf(frame, screen);
    EXPECT_EQ(layout.colourCount, 0);
    EXPECT_EQ(layout.bitsPerPixel, 1);
    EXPECT_EQ(Build(frame, screen), Concat(Header(3, 2, 1, 8, 0), std::vector<uint8_t>(8, 0)));
    EXPECT_FALSE(FrameDibIsDrawable(layout));

    FrameImage* empty = Keep(MakeFlatFrame(0, 4, 0, 0, {0, 0}, 0));
    EXPECT_FALSE(FrameDibIsDrawable(LayoutOf(empty, screen)));
    EXPECT_TRUE(FrameDibIsDrawable(LayoutOf(Keep(MakeFlatFrame(1, 1, 0, 0, {0}, 0)), screen)));
    EXPECT_EQ(ComputeFrameDibLayout(nullptr, screen, &layout), 0);
}

}  // namespace
