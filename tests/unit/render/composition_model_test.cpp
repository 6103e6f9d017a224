// The reference composition: disposal methods, transparency by index, placement,
// clipping and shifts, checked against outcomes stated pixel by pixel.
#include "render/composition_model.h"

#include <gtest/gtest.h>

#include "test_frames.h"

namespace {

constexpr uint32_t kA = 0xA00000, kB = 0x00B000, kC = 0x0000C0;

uint32_t Bg(int x, int y) {
    return 0x010000u * uint32_t(x + 1) + uint32_t(y);
}

ModelImage Background(int width, int height) {
    ModelImage image = MakeModelImage(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels[size_t(y) * width + x] = Bg(x, y);
    return image;
}

// Window 8 x 4. Frame 0 covers columns 0..3 in colour A and is left with disposal 1;
// frame 1 covers columns 2..5 in colour B and is left with the method under test; frame 2
// is transparent (index 0) everywhere but column 7, which it paints C. What frame 2 lets
// through tells which stage the method left.
std::vector<ModelImage> PlayThreeFrames(int disposal) {
    ScreenDescriptorRecord screen{};
    std::vector<int> lastFrame(8 * 4, 0);
    for (int y = 0; y < 4; ++y)
        lastFrame[y * 8 + 7] = 1;
    std::vector<FrameNode> nodes = {
        MakeNode(MakeFlatFrame(4, 4, 0, 0, {kA}, 0), 1),
        MakeNode(MakeFlatFrame(4, 4, 2, 0, {kB}, 0), disposal),
        MakeNode(MakeFrame(8, 4, 0, 0, {0x123456, kC}, lastFrame, 0), 0),
    };
    std::vector<ModelImage> shown = ModelPlayList(LinkNodes(nodes), screen, Background(8, 4));
    FreeNodeImages(nodes);
    return shown;
}

constexpr uint32_t kBackground = 0xFFFFFFFF;  // the screen's own pixel at that place

struct Expected {
    uint32_t under0only, under0and1, under1only;  // columns 0..1, 2..3, 4..5
};

uint32_t Resolve(uint32_t expected, int x, int y) {
    return expected == kBackground ? Bg(x, y) : expected;
}

void ExpectThirdFrame(int disposal, const Expected& e) {
    std::vector<ModelImage> shown = PlayThreeFrames(disposal);
    ASSERT_EQ(shown.size(), 3u);
    const ModelImage& w = shown[2];
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(ModelPixel(w, 1, y), Resolve(e.under0only, 1, y)) << "disposal " << disposal;
        EXPECT_EQ(ModelPixel(w, 3, y), Resolve(e.under0and1, 3, y)) << "disposal " << disposal;
        EXPECT_EQ(ModelPixel(w, 4, y), Resolve(e.under1only, 4, y)) << "disposal " << disposal;
        EXPECT_EQ(ModelPixel(w, 6, y), Bg(6, y));
        EXPECT_EQ(ModelPixel(w, 7, y), kC);
    }
}

TEST(CompositionModel, DisposalZeroAndOneKeepTheLeavingFrame) {
    for (int d : {0, 1})
        ExpectThirdFrame(d, {kA, kB, kB});
}

TEST(CompositionModel, DisposalTwoRestoresTheScreenOnlyUnderTheLeavingFrame) {
    ExpectThirdFrame(2, {kA, kBackground, kBackground});
}

TEST(CompositionModel, DisposalThreeAndAboveAndNegativeKeepTheStageFromBeforeTheFrame) {
    // Disposal 3 then a transparent frame: the third frame shows over frame 0's picture,
    // what lay on the stage before frame 1.
    for (int d : {3, 4, 5, 6, 7, -1, -200})
        ExpectThirdFrame(d, {kA, kA, kBackground});
}

class ModelFrameTest : public ::testing::Test {
protected:
    ScreenDescriptorRecord screen{};
    CompositionModel model;
    std::vector<FrameImage*> frames;
    void SetUp() override { ModelStart(model, screen, Background(10, 6)); }
    void TearDown() override {
        for (FrameImage* frame : frames)
            FreeFrameImage(frame);
    }
    FrameNode Node(FrameImage* frame) {
        frames.push_back(frame);
        return MakeNode(frame, 0);
    }
};

TEST_F(ModelFrameTest, TransparencyGoesByIndexNotByColour) {
    // Index 0 is transparent and has the same colour as index 1, which stays visible.
    FrameNode zero = Node(MakeFrame(3, 1, 0, 0, {kA, kA, kB}, {0, 1, 2}, 0));
    const ModelImage& w = ModelShowFrame(model, &zero);
    EXPECT_EQ(ModelPixel(w, 0, 0), Bg(0, 0));
    EXPECT_EQ(ModelPixel(w, 1, 0), kA);
    EXPECT_EQ(ModelPixel(w, 2, 0), kB);
    // A transparent index that no pixel uses leaves the frame opaque.
    FrameNode unused = Node(MakeFrame(2, 1, 0, 0, {kA, kB, kC}, {0, 1}, 2));
    EXPECT_EQ(ModelPixel(ModelShowFrame(model, &unused), 0, 0), kA);
}

TEST_F(ModelFrameTest, SmallFrameCoversOnlyItsRectangle) {
    FrameNode node = Node(MakeFlatFrame(3, 2, 4, 3, {kC}, 0));
    const ModelImage& w = ModelShowFrame(model, &node);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 4 && x < 7 && y >= 3 && y < 5;
            EXPECT_EQ(ModelPixel(w, x, y), inside ? kC : Bg(x, y)) << x << "," << y;
        }
}

TEST_F(ModelFrameTest, ShiftMovesTheFrameNotTheStageAndClipsAtTheEdge) {
    FrameNode node = Node(MakeFrame(4, 1, 2, 1, {kA, kB}, {0, 1, 0, 1}));
    ModelImage c = ModelCompose(model, &node, -5, 0);
    // Columns 2..5 shifted to -3..0: only the last frame column lands, at x = 0.
    EXPECT_EQ(ModelPixel(c, 0, 1), kB);
    for (int x = 1; x < 10; ++x)
        EXPECT_EQ(ModelPixel(c, x, 1), Bg(x, 1));
    EXPECT_EQ(model.stage.pixels, Background(10, 6).pixels);

    FrameNode far = Node(MakeFlatFrame(2, 2, 8, 0, {kC}, 0));
    ModelImage d = ModelCompose(model, &far, -5, 4);
    EXPECT_EQ(ModelPixel(d, 3, 4), kC);
    EXPECT_EQ(ModelPixel(d, 4, 5), kC);
    EXPECT_EQ(ModelPixel(d, 8, 0), Bg(8, 0));
}

TEST_F(ModelFrameTest, FramesWithoutColoursOrPixelsShowTheStageAlone) {
    FrameImage* noColours = MakeFlatFrame(3, 3, 0, 0, {}, 1);
    noColours->usesGlobalTable = 0;
    FrameNode a = Node(noColours);
    FrameNode b = Node(MakeFlatFrame(0, 3, 0, 0, {kA}, 0));
    const std::vector<uint32_t> stage = Background(10, 6).pixels;
    EXPECT_EQ(ModelShowFrame(model, &a).pixels, stage);
    EXPECT_EQ(ModelShowFrame(model, &b).pixels, stage);
    EXPECT_EQ(ModelShowFrame(model, nullptr).pixels, stage);
}

}  // namespace
