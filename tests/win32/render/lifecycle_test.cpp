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
    if (!ActivePalette)
        return;
    EXPECT_TRUE(ActivePalette == GlobalPalette || ActivePalette == FramePalette);
    EXPECT_EQ(GetObjectType(ActivePalette), DWORD(OBJ_PAL));
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
    FrameCursor = nullptr;
    FrameHasTransparency = 1;
    EXPECT_EQ(PrepareFrame(), 0);
    EXPECT_EQ(CurrentFrameDib, nullptr);
    EXPECT_EQ(FrameHasTransparency, 1);
    FrameNode empty{};
    FrameCursor = &empty;
    EXPECT_EQ(PrepareFrame(), 0);
    FrameHasTransparency = 0;
}

TEST_F(LifecycleTest, FramePaletteAndAliasFollowTheCurrentFrame) {
    SetGlobalTable(ScreenDescriptor, {kA, kB, kC, 0}, 4, 1);
    ASSERT_EQ(BuildGlobalPalette(), 1);
    FrameListHead = MixedList();

    FrameCursor = FrameListHead;  // own table, opaque
    ASSERT_EQ(PrepareFrame(), 1);
    EXPECT_NE(CurrentFrameDib, nullptr);
    EXPECT_NE(FramePalette, nullptr);
    EXPECT_EQ(ActivePalette, FramePalette);
    EXPECT_EQ(FrameHasTransparency, 0);
    ExpectActivePaletteSound();

    ReleaseFrame();
    EXPECT_EQ(CurrentFrameDib, nullptr);
    EXPECT_EQ(FramePalette, nullptr);
    EXPECT_EQ(ActivePalette, nullptr);  // it named the palette just deleted
    ReleaseFrame();                     // a second release does nothing
    EXPECT_EQ(CurrentFrameDib, nullptr);

    FrameCursor = FrameListHead->next->next;  // global table, transparent index 2
    ASSERT_EQ(PrepareFrame(), 1);
    EXPECT_EQ(ActivePalette, GlobalPalette);
    EXPECT_EQ(FramePalette, nullptr);
    EXPECT_EQ(FrameHasTransparency, 1);

    // Straight from a global frame to an own-table frame without a release between.
    FrameCursor = FrameListHead->next;
    ASSERT_EQ(PrepareFrame(), 1);
    EXPECT_EQ(ActivePalette, FramePalette);
    EXPECT_NE(GlobalPalette, nullptr);
    ExpectActivePaletteSound();
    FrameCursor = FrameListHead->next->next->next;
    ASSERT_EQ(PrepareFrame(), 1);
    EXPECT_EQ(FramePalette, nullptr);
    EXPECT_EQ(ActivePalette, GlobalPalette);
    ExpectActivePaletteSound();
}

TEST_F(LifecycleTest, ReleaseAnimationNullsEveryHandleAndTwiceDoesNothing) {
    SetGlobalTable(ScreenDescriptor, {kA, kB, kC, 0}, 4, 1);
    FrameListHead = MixedList();
    ReleaseDrawingObjects();  // the fixture's snapshot and stage, to start from a known count
    const int baseline = CountLiveGdiObjects();
    FrameCursor = FrameListHead;

    ASSERT_EQ(BuildGlobalPalette(), 1);
    ASSERT_EQ(PrepareFrame(), 1);
    FullScreenSnapshot = CaptureScreen(nullptr);
    BackgroundSnapshot = CaptureScreenRect(&WindowRect, ActivePalette);
    StageBitmap = MakeDisplayBitmap(kWidth, kHeight);
    StageFromSnapshot();
    ASSERT_TRUE(FullScreenSnapshot && BackgroundSnapshot && StageBitmap && FramePalette);
    EXPECT_GT(CountLiveGdiObjects(), baseline);

    ReleaseAnimation();
    EXPECT_EQ(FrameListHead, nullptr);
    EXPECT_EQ(FrameCursor, nullptr) << "the cursor still points into the freed list";
    EXPECT_EQ(GlobalPalette, nullptr);
    EXPECT_EQ(FramePalette, nullptr);
    EXPECT_EQ(ActivePalette, nullptr);
    EXPECT_EQ(CurrentFrameDib, nullptr);
    EXPECT_EQ(BackgroundSnapshot, nullptr);
    EXPECT_EQ(FullScreenSnapshot, nullptr);
    EXPECT_EQ(StageBitmap, nullptr);
    EXPECT_EQ(CountLiveGdiObjects(), baseline);
    ReleaseAnimation();
    EXPECT_EQ(CountLiveGdiObjects(), baseline);
    FrameCursor = nullptr;
}

TEST_F(LifecycleTest, ThousandsOfFrameChangesAndPaintsDoNotGrowTheGdiObjectCount) {
    SetGlobalTable(ScreenDescriptor, {kA, kB, kC, 0}, 4, 1);
    ASSERT_EQ(BuildGlobalPalette(), 1);
    FrameListHead = MixedList();
    FrameCursor = FrameListHead;
    ASSERT_EQ(PrepareFrame(), 1);

    // The frame change of a looping player, with a paint and now and then a composed
    // picture; disposals 1, 2, 3 and 7 all run.
    auto changeAndPaint = [this](int i) {
        ApplyDisposal(FrameCursor->control.disposal);
        FrameCursor = FrameCursor->next ? FrameCursor->next : FrameListHead;
        ReleaseFrame();
        PrepareFrame();
        ExpectActivePaletteSound();
        RepaintNow(window);
        if (i % 10 == 0) {
            ComposedPicture picture = ComposeFrame(window, -(i % 7), i % 3);
            ReleaseComposedPicture(&picture);
        }
    };
    for (int i = 0; i < 50; ++i)
        changeAndPaint(i);
    SettleScreen(50);
    const int before = CountLiveGdiObjects();
    const int rounds = 3000;
    for (int i = 0; i < rounds; ++i)
        changeAndPaint(i);
    SettleScreen(50);
    const int after = CountLiveGdiObjects();
    std::printf("live GDI objects: %d before, %d after %d frame changes and paints\n", before,
                after, rounds);
    EXPECT_EQ(after, before);
    FrameCursor = nullptr;
    ReleaseAnimation();
}

}  // namespace
