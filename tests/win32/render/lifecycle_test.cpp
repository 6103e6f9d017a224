// Handle lifecycle of the drawing objects: what PrepareFrame, ReleaseFrame and
// ReleaseAnimation leave behind, the ActivePalette alias, and no GDI object growth over
// thousands of frame changes and paints (a leak would end a looping logo after minutes).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "stage_fixture.h"

namespace {

constexpr uint32_t kA = 0xC02020, kB = 0x20C020, kC = 0x2020C0;

// ActivePalette is null or one of the two owned palettes, and that palette is alive.
void ExpectActivePaletteSound() {
    if (!Stage.ActivePalette)
        return;
    EXPECT_TRUE(Stage.ActivePalette == Stage.GlobalPalette || Stage.ActivePalette == Stage.FramePalette);
    EXPECT_EQ(GetObjectType(Stage.ActivePalette), DWORD(OBJ_PAL));
}

// A list the way GifLoader makes it (nodes from malloc), so ReleaseAnimation can free it.
FrameNode* AppendNode(FrameNode* last, FrameImage* image, int disposal) {
    FrameNode* node = static_cast<FrameNode*>(std::calloc(1, sizeof(FrameNode)));
    node->image = image;
    node->control.disposal = disposal;
    node->control.hasTransparency = image->transparentIndex != -1;
    node->previous = last;
    if (last)
        last->next = node;
    return node;
}

FrameNode* MixedList() {
    std::vector<int> spots(12 * 10);
    for (size_t i = 0; i < spots.size(); ++i)
        spots[i] = int(i % 3);
    FrameNode* head = AppendNode(nullptr, MakeFlatFrame(20, 16, 0, 0, {kA, kB}, 1), 1);
    FrameNode* last = AppendNode(head, MakeFrame(12, 10, 5, 5, {kA, kB, kC}, spots, 0), 2);
    last = AppendNode(last, MakeFrame(12, 10, 30, 9, {}, spots, 2), 3);
    last = AppendNode(last, MakeFrame(12, 10, 1, 20, {}, spots), 0);
    AppendNode(last, MakeFrame(40, 30, 4, 1, {kC, kB, kA, kA, kB}, std::vector<int>(1200, 4), 4), 7);
    return head;
}

using LifecycleTest = StageFixture;

TEST_F(LifecycleTest, PrepareFrameWithoutAFrameChangesNothing) {
    Stage.FrameCursor = nullptr;
    Stage.FrameHasTransparency = true;
    EXPECT_EQ(PrepareFrame(&Stage), 0);
    EXPECT_EQ(Stage.CurrentFrameDib, nullptr);
    EXPECT_EQ(Stage.FrameHasTransparency, true);
    FrameNode empty{};
    Stage.FrameCursor = &empty;
    EXPECT_EQ(PrepareFrame(&Stage), 0);
    Stage.FrameHasTransparency = false;
}

TEST_F(LifecycleTest, FramePaletteAndAliasFollowTheCurrentFrame) {
    SetGlobalTable(Stage.gif.ScreenDescriptor, {kA, kB, kC, 0}, 4, 1);
    ASSERT_EQ(BuildGlobalPalette(&Stage), 1);
    Stage.gif.FrameListHead = MixedList();

    Stage.FrameCursor = Stage.gif.FrameListHead;  // own table, opaque
    ASSERT_EQ(PrepareFrame(&Stage), 1);
    EXPECT_NE(Stage.CurrentFrameDib, nullptr);
    EXPECT_NE(Stage.FramePalette, nullptr);
    EXPECT_EQ(Stage.ActivePalette, Stage.FramePalette);
    EXPECT_EQ(Stage.FrameHasTransparency, false);
    ExpectActivePaletteSound();

    ReleaseFrame(&Stage);
    EXPECT_EQ(Stage.CurrentFrameDib, nullptr);
    EXPECT_EQ(Stage.FramePalette, nullptr);
    EXPECT_EQ(Stage.ActivePalette, nullptr);  // it named the palette just deleted
    ReleaseFrame(&Stage);                     // a second release does nothing
    EXPECT_EQ(Stage.CurrentFrameDib, nullptr);

    Stage.FrameCursor = Stage.gif.FrameListHead->next->next;  // global table, transparent index 2
    ASSERT_EQ(PrepareFrame(&Stage), 1);
    EXPECT_EQ(Stage.ActivePalette, Stage.GlobalPalette);
    EXPECT_EQ(Stage.FramePalette, nullptr);
    EXPECT_EQ(Stage.FrameHasTransparency, true);

    // Straight from a global frame to an own-table frame without a release between.
    Stage.FrameCursor = Stage.gif.FrameListHead->next;
    ASSERT_EQ(PrepareFrame(&Stage), 1);
    EXPECT_EQ(Stage.ActivePalette, Stage.FramePalette);
    EXPECT_NE(Stage.GlobalPalette, nullptr);
    ExpectActivePaletteSound();
    Stage.FrameCursor = Stage.gif.FrameListHead->next->next->next;
    ASSERT_EQ(PrepareFrame(&Stage), 1);
    EXPECT_EQ(Stage.FramePalette, nullptr);
    EXPECT_EQ(Stage.ActivePalette, Stage.GlobalPalette);
    ExpectActivePaletteSound();
}

TEST_F(LifecycleTest, ReleaseAnimationNullsEveryHandleAndTwiceDoesNothing) {
    SetGlobalTable(Stage.gif.ScreenDescriptor, {kA, kB, kC, 0}, 4, 1);
    Stage.gif.FrameListHead = MixedList();
    ReleaseDrawingObjects(&Stage);  // the fixture's snapshot and stage, to start from a known count
    const int baseline = CountLiveGdiObjects();
    Stage.FrameCursor = Stage.gif.FrameListHead;

    ASSERT_EQ(BuildGlobalPalette(&Stage), 1);
    ASSERT_EQ(PrepareFrame(&Stage), 1);
    Stage.FullScreenSnapshot = CaptureScreen(nullptr);
    Stage.BackgroundSnapshot = CaptureScreenRect(&Stage.WindowRect, Stage.ActivePalette);
    Stage.StageBitmap = MakeDisplayBitmap(kWidth, kHeight);
    StageFromSnapshot(&Stage);
    ASSERT_TRUE(Stage.FullScreenSnapshot && Stage.BackgroundSnapshot && Stage.StageBitmap && Stage.FramePalette);
    EXPECT_GT(CountLiveGdiObjects(), baseline);

    ReleaseAnimation(&Stage);
    EXPECT_EQ(Stage.gif.FrameListHead, nullptr);
    EXPECT_EQ(Stage.FrameCursor, nullptr) << "the cursor still points into the freed list";
    EXPECT_EQ(Stage.GlobalPalette, nullptr);
    EXPECT_EQ(Stage.FramePalette, nullptr);
    EXPECT_EQ(Stage.ActivePalette, nullptr);
    EXPECT_EQ(Stage.CurrentFrameDib, nullptr);
    EXPECT_EQ(Stage.BackgroundSnapshot, nullptr);
    EXPECT_EQ(Stage.FullScreenSnapshot, nullptr);
    EXPECT_EQ(Stage.StageBitmap, nullptr);
    EXPECT_EQ(CountLiveGdiObjects(), baseline);
    ReleaseAnimation(&Stage);
    EXPECT_EQ(CountLiveGdiObjects(), baseline);
    Stage.FrameCursor = nullptr;
}

TEST_F(LifecycleTest, ThousandsOfFrameChangesAndPaintsDoNotGrowTheGdiObjectCount) {
    SetGlobalTable(Stage.gif.ScreenDescriptor, {kA, kB, kC, 0}, 4, 1);
    ASSERT_EQ(BuildGlobalPalette(&Stage), 1);
    Stage.gif.FrameListHead = MixedList();
    Stage.FrameCursor = Stage.gif.FrameListHead;
    ASSERT_EQ(PrepareFrame(&Stage), 1);

    // The frame change of a looping player, with a paint and now and then a composed
    // picture; disposals 1, 2, 3 and 7 all run.
    auto changeAndPaint = [this](int i) {
        ApplyDisposal(&Stage, Stage.FrameCursor->control.disposal);
        Stage.FrameCursor = Stage.FrameCursor->next ? Stage.FrameCursor->next : Stage.gif.FrameListHead;
        ReleaseFrame(&Stage);
        PrepareFrame(&Stage);
        ExpectActivePaletteSound();
        RepaintNow(window);
        if (i % 10 == 0) {
            ComposedPicture picture = ComposeFrame(&Stage, window, -(i % 7), i % 3);
            ReleaseComposedPicture(&picture);
        }
    };
    for (int i = 0; i < 50; ++i)
        changeAndPaint(i);
    DeliverPendingMessages();
    const int before = CountLiveGdiObjects();
    const int rounds = 3000;
    for (int i = 0; i < rounds; ++i)
        changeAndPaint(i);
    DeliverPendingMessages();
    const int after = CountLiveGdiObjects();
    std::printf("live GDI objects: %d before, %d after %d frame changes and paints\n", before,
                after, rounds);
    EXPECT_EQ(after, before);
    Stage.FrameCursor = nullptr;
    ReleaseAnimation(&Stage);
}

}  // namespace
