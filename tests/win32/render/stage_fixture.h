// A presenting window on the test desktop set up the way the player sets up its windows:
// the screen under WindowRect captured first, a display-compatible stage filled from it,
// then the window shown. Frames change in the player's order (disposal of the leaving
// frame, cursor moved, ReleaseFrame, PrepareFrame, repaint) and a CompositionModel started
// on the captured background follows along.
#pragma once

#include <gtest/gtest.h>

#include "gdi_test_support.h"
#include "test_frames.h"

class StageFixture : public ::testing::Test {
protected:
    static constexpr int kLeft = 136, kTop = 104, kWidth = 48, kHeight = 32;

    HWND window = nullptr;
    ModelImage background;
    CompositionModel model;
    std::vector<FrameNode> nodes;

    void SetUp() override {
        Stage.gif.ScreenDescriptor = ScreenDescriptorRecord{};
        SetRect(&Stage.WindowRect, kLeft, kTop, kLeft + kWidth, kTop + kHeight);
        Stage.BackgroundSnapshot = CaptureScreenRect(&Stage.WindowRect, nullptr);
        Stage.StageBitmap = MakeDisplayBitmap(kWidth, kHeight);
        ASSERT_NE(Stage.BackgroundSnapshot, nullptr);
        ASSERT_NE(Stage.StageBitmap, nullptr);
        StageFromSnapshot(&Stage);
        background = ReadBitmap(Stage.BackgroundSnapshot);
        window = CreateStageTestWindow();
        Stage.StageWindow = window;
        DeliverPendingMessages();
    }

    void TearDown() override {
        Stage.FrameCursor = nullptr;
        ReleaseFrame(&Stage);
        ReleaseAnimation(&Stage);  // a list a test put at Stage.gif.FrameListHead, and every drawing object
        if (window)
            DestroyWindow(window);
        Stage.StageWindow = nullptr;
        // The next test captures the desktop, which must be without this window by then.
        EXPECT_EQ(FirstDifference(ScreenOnceItShows(Stage.WindowRect, background), background), "")
            << "the desktop under the closed window";
        FreeNodeImages(nodes);
        Stage.gif.ScreenDescriptor = ScreenDescriptorRecord{};
    }

    // Call once the frames are in `nodes` and ScreenDescriptor is final.
    FrameNode* Link() {
        ModelStart(model, Stage.gif.ScreenDescriptor, background);
        return LinkNodes(nodes);
    }

    void Show(FrameNode* node) {
        Stage.FrameCursor = node;
        ReleaseFrame(&Stage);
        PrepareFrame(&Stage);
        RepaintNow(window);
        ModelShowFrame(model, node);
    }

    // The frame now shown leaves with its own disposal method.
    void Leave() {
        ApplyDisposal(&Stage, Stage.FrameCursor->control.disposal);
        ModelLeaveFrame(model, Stage.FrameCursor);
    }

    // The window's pixels on the screen once they are `expected` (or after a while).
    ModelImage OnScreen(const ModelImage& expected) {
        return ScreenOnceItShows(Stage.WindowRect, expected);
    }
};
