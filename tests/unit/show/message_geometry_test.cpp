// The message window's cell, its zoom rectangles and the caption rectangle.
#include "show/placement.h"

#include "geometry_print.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageCell, SquareOfHalfTheScreenHeightOnTheFullScreen) {
    const Size screen = {1024, 768};
    EXPECT_EQ(384, MessageSide(screen));
    EXPECT_EQ((Point{320, 192}), MessageCellCorner(0, screen));
    EXPECT_EQ((Point{0, 0}), MessageCellCorner(1, screen));
    EXPECT_EQ((Point{0, 384}), MessageCellCorner(3, screen));
    EXPECT_EQ((Point{320, 0}), MessageCellCorner(4, screen));
    EXPECT_EQ((Point{640, 192}), MessageCellCorner(7, screen));
    EXPECT_EQ((Point{640, 384}), MessageCellCorner(8, screen));
    EXPECT_EQ((Point{320, 192}), MessageCellCorner(12, screen));
    EXPECT_EQ(299, MessageSide({800, 599}));
}

struct ZoomCase {
    int side;
    Rect lastZoom;
    Rect caption;
};

TEST(MessageZoom, GrowsInFiveStepsOnA384Square) {
    const Rect expected[5] = {
        {100, 100, 176, 176}, {75, 75, 227, 227}, {50, 50, 278, 278},
        {25, 25, 329, 329}, {0, 0, 380, 380},
    };
    for (int step = 0; step <= 4; ++step) {
        EXPECT_EQ(expected[step], MessageZoom(step, 384, 384)) << "step " << step;
    }
}

TEST(MessageZoom, LastStepAndCaptionOnCommonScreens) {
    const ZoomCase cases[] = {
        {384, {0, 0, 380, 380}, {30, 30, 291, 291}},   // 1024 x 768
        {300, {0, 0, 300, 300}, {30, 30, 234, 234}},   // 800 x 600
        {240, {0, 0, 240, 240}, {0, 0, 163, 163}},     // 640 x 480: no margin below 250
        {512, {0, 0, 510, 510}, {60, 60, 408, 408}},   // 1280 x 1024
    };
    for (const ZoomCase& c : cases) {
        EXPECT_EQ(c.lastZoom, MessageZoom(4, c.side, c.side)) << "side " << c.side;
        EXPECT_EQ(c.caption, ComputeCaptionRect(c.side, c.side)) << "side " << c.side;
    }
}

TEST(MessageZoom, WidthAndHeightAreKeptApart) {
    EXPECT_EQ((Rect{100, 100, 200, 150}), MessageZoom(0, 500, 250));
    EXPECT_EQ((Rect{60, 30, 400, 200}), ComputeCaptionRect(500, 250));
    EXPECT_EQ((Rect{30, 0, 200, 169}), ComputeCaptionRect(250, 249));
}

}  // namespace
