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
        ScreenDescriptor = ScreenDescriptorRecord{};
        SetRect(&WindowRect, kLeft, kTop, kLeft + kWidth, kTop + kHeight);
        BackgroundSnapshot = CaptureScreenRect(&WindowRect, nullptr);
        StageBitmap = MakeDisplayBitmap(kWidth, kHeight);
        ASSERT_NE(BackgroundSnapshot, nullptr);
        ASSERT_NE(StageBitmap, nullptr);
        StageFromSnapshot();
        background = ReadBitmap(BackgroundSnapshot);
        window = CreateStageTestWindow();
        StageWindow = window;
        SettleScreen();
    }

    void TearDown() override {
        FrameCursor = nullptr;
        ReleaseFrame();
        ReleaseAnimation();  // a list a test put at FrameListHead, and every drawing object
        if (window)
            DestroyWindow(window);
        StageWindow = nullptr;
        SettleScreen(60);  // the next test captures the desktop without this window
        FreeNodeImages(nodes);
        ScreenDescriptor = ScreenDescriptorRecord{};
    }

    // Call once the frames are in `nodes` and ScreenDescriptor is final.
    FrameNode* Link() {
        ModelStart(model, ScreenDescriptor, background);
        return LinkNodes(nodes);
    }

    void Show(FrameNode* node) {
        FrameCursor = node;
        ReleaseFrame();
        PrepareFrame();
        RepaintNow(window);
        ModelShowFrame(model, node);
    }

    // The frame now shown leaves with its own disposal method.
    void Leave() {
        ApplyDisposal(FrameCursor->control.disposal);
        ModelLeaveFrame(model, FrameCursor);
    }

    ModelImage OnScreen() {
        SettleScreen();
        HBITMAP shot = CaptureScreenRect(&WindowRect, nullptr);
        ModelImage image = ReadBitmap(shot);
        DeleteObject(shot);
        return image;
    }
};
