// The stage, the disposal methods and the composition on a real window over the test
// desktop, each step checked against the reference model: the off-screen composite, the
// stage each disposal leaves, and what reaches the screen through the paint.
#include <gtest/gtest.h>

#include "stage_fixture.h"

namespace {

constexpr uint32_t kA = 0xC02020, kA2 = 0xF0A000, kB = 0x20C020, kC = 0x2020C0, kD = 0xFFFFFF;

class DisposalTest : public StageFixture, public ::testing::WithParamInterface<int> {};

// Frame 0 (left with disposal 1) and frame 1 (left with the method under test, reaching
// past the window's right and bottom edges) overlap;
// frame 2 is mostly transparent, so what it shows through tells which stage was left.
TEST_P(DisposalTest, StageAndWindowFollowTheModel) {
    const int disposal = GetParam();
    std::vector<int> first(24 * 20), last(kWidth * kHeight, 0);
    for (int i = 0; i < 24 * 20; ++i)
        first[i] = (i / 3) % 2;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            last[y * kWidth + x] = (x % 11 == 10) ? 1 + y % 2 : 0;
    nodes.push_back(MakeNode(MakeFrame(24, 20, 2, 3, {kA, kA2}, first), 1));
    nodes.push_back(MakeNode(MakeFlatFrame(40, 28, 16, 8, {kB}, 0), disposal));
    nodes.push_back(MakeNode(MakeFrame(kWidth, kHeight, 0, 0, {0x010203, kC, kD}, last, 0), 0));
    Link();

    for (FrameNode& node : nodes) {
        Show(&node);
        EXPECT_EQ(FirstDifference(ComposedPixels(window, 0, 0), model.window), "")
            << "composite of a frame, disposal " << disposal;
        EXPECT_EQ(FirstDifference(OnScreen(model.window), model.window), "")
            << "painted frame, disposal " << disposal;
        Leave();
        EXPECT_EQ(FirstDifference(ReadBitmap(Stage.StageBitmap), model.stage), "")
            << "stage after disposal " << node.control.disposal;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMethod, DisposalTest,
                         ::testing::Values(-1, 0, 1, 2, 3, 4, 5, 6, 7));

class CompositionTest : public StageFixture {};

TEST_F(CompositionTest, DisposalThreeThenATransparentFrameShowsWhatWasThereBeforeTheFirst) {
    nodes.push_back(MakeNode(MakeFlatFrame(kWidth, kHeight, 0, 0, {kA}, 0), 1));
    nodes.push_back(MakeNode(MakeFlatFrame(30, 20, 4, 4, {kB}, 0), 3));
    std::vector<int> dots(kWidth * kHeight, 0);
    dots[0] = 1;
    nodes.push_back(MakeNode(MakeFrame(kWidth, kHeight, 0, 0, {kD, kC}, dots, 0), 0));
    Link();
    Show(&nodes[0]);
    Leave();
    Show(&nodes[1]);
    Leave();
    Show(&nodes[2]);
    const ModelImage screen = OnScreen(model.window);
    EXPECT_EQ(ModelPixel(screen, 0, 0), kC);
    EXPECT_EQ(ModelPixel(screen, 10, 10), kA);  // under the second frame: the first one
    EXPECT_EQ(FirstDifference(screen, model.window), "");
}

TEST_F(CompositionTest, ShiftedCompositionMovesTheFrameOverAnUnshiftedStage) {
    nodes.push_back(MakeNode(MakeFrame(10, 8, 12, 6, {kA, kB}, std::vector<int>(80, 1)), 0));
    std::vector<int> ring(10 * 8, 1);
    ring[3 * 10 + 4] = 0;
    nodes.push_back(MakeNode(MakeFrame(10, 8, 2, 20, {kC, kD}, ring, 0), 0));
    Link();

    Show(&nodes[0]);
    ModelImage shifted = ComposedPixels(window, -5, 0);
    EXPECT_EQ(FirstDifference(shifted, ModelCompose(model, &nodes[0], -5, 0)), "");
    EXPECT_EQ(ModelPixel(shifted, 7, 6), kB);
    EXPECT_EQ(ModelPixel(shifted, 20, 6), ModelPixel(background, 20, 6));
    EXPECT_EQ(FirstDifference(ReadBitmap(Stage.StageBitmap), background), "");

    // The transparent path, shifted both ways and cut at the left edge.
    Show(&nodes[1]);
    EXPECT_EQ(FirstDifference(ComposedPixels(window, -5, 3), ModelCompose(model, &nodes[1], -5, 3)),
              "");
}

TEST_F(CompositionTest, FrameWithoutDibOrColoursShowsTheStageAlone) {
    nodes.push_back(MakeNode(MakeFlatFrame(kWidth, kHeight, 0, 0, {kA}, 0), 0));
    FrameImage* noColours = MakeFlatFrame(20, 10, 0, 0, {}, 1);
    noColours->usesGlobalTable = 0;
    nodes.push_back(MakeNode(noColours, 0));
    Link();

    // As after a failed PrepareFrame: the cursor is on a frame that has no FrameDib.
    Show(&nodes[0]);
    GlobalFree(Stage.CurrentFrameDib);
    Stage.CurrentFrameDib = nullptr;
    RepaintNow(window);
    EXPECT_EQ(FirstDifference(ComposedPixels(window, 0, 0), background), "");
    EXPECT_EQ(FirstDifference(OnScreen(background), background), "");

    Show(&nodes[1]);
    EXPECT_EQ(Stage.FramePalette, nullptr);
    EXPECT_EQ(Stage.ActivePalette, nullptr);
    EXPECT_EQ(FirstDifference(ComposedPixels(window, 0, 0), background), "");
    EXPECT_EQ(FirstDifference(OnScreen(background), background), "");

    Stage.FrameCursor = nullptr;
    EXPECT_EQ(FirstDifference(ComposedPixels(window, 0, 0), background), "");
}

TEST_F(CompositionTest, GlobalTableFramesDrawThroughTheGlobalPalette) {
    SetGlobalTable(Stage.gif.ScreenDescriptor, {kA, kB, kC, kD}, 4, 1);
    ASSERT_EQ(BuildGlobalPalette(&Stage), 1);
    std::vector<int> pixels;
    for (int i = 0; i < 16 * 12; ++i)
        pixels.push_back(i % 4);
    nodes.push_back(MakeNode(MakeFrame(16, 12, 30, 15, {}, pixels, 2), 0));
    Link();
    Show(&nodes[0]);
    EXPECT_EQ(Stage.ActivePalette, Stage.GlobalPalette);
    EXPECT_EQ(FirstDifference(OnScreen(model.window), model.window), "");
}

}  // namespace
