// The screen grid of the animation window and the slide-in path.
#include "show/placement.h"

#include "geometry_print.h"
#include "slide_path.h"

#include <gtest/gtest.h>

namespace {

const Size kScreen = {1024, 768};
const Size kAnimation = {200, 100};
const Point kNoTaskbar = {0, 0};

TEST(AnimationCell, EveryCellOfAFreeScreen) {
    const Point expected[9] = {
        {412, 334},  // 0 centre
        {0, 0},      // 1 top left
        {0, 334},    // 2 middle left
        {0, 668},    // 3 bottom left
        {412, 0},    // 4 top centre
        {412, 668},  // 5 bottom centre
        {824, 0},    // 6 top right
        {824, 334},  // 7 middle right
        {824, 668},  // 8 bottom right
    };
    for (int code = 0; code <= 8; ++code) {
        EXPECT_EQ(expected[code], AnimationCellCorner(code, kScreen, kNoTaskbar, kAnimation))
            << "cell " << code;
    }
}

TEST(AnimationCell, CodesThatNameNoCellAreCentred) {
    const Point centre = AnimationCellCorner(0, kScreen, kNoTaskbar, kAnimation);
    for (int code : {9, 10, 255, -1}) {
        EXPECT_EQ(centre, AnimationCellCorner(code, kScreen, kNoTaskbar, kAnimation)) << code;
    }
}

TEST(AnimationCell, LargerThanTheScreenOverhangsBothEdges) {
    EXPECT_EQ((Point{-88, -66}), AnimationCellCorner(0, kScreen, kNoTaskbar, {1200, 900}));
    // Odd overhangs halve toward zero, not toward minus infinity.
    EXPECT_EQ((Point{0, -1}), AnimationCellCorner(0, kScreen, kNoTaskbar, {1025, 771}));
    EXPECT_EQ((Point{-176, -132}), AnimationCellCorner(8, kScreen, kNoTaskbar, {1200, 900}));
}

TEST(AnimationCell, TaskbarOnTheLeftMovesOnlyTheLeftColumn) {
    const Point workArea = {60, 0};
    EXPECT_EQ((Point{60, 0}), AnimationCellCorner(1, kScreen, workArea, kAnimation));
    EXPECT_EQ((Point{60, 334}), AnimationCellCorner(2, kScreen, workArea, kAnimation));
    EXPECT_EQ((Point{60, 668}), AnimationCellCorner(3, kScreen, workArea, kAnimation));
    for (int code : {0, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(AnimationCellCorner(code, kScreen, kNoTaskbar, kAnimation),
                  AnimationCellCorner(code, kScreen, workArea, kAnimation)) << code;
    }
}

TEST(AnimationCell, TaskbarAtTheTopMovesOnlyTheTopLeftCell) {
    const Point workArea = {0, 40};
    EXPECT_EQ((Point{0, 40}), AnimationCellCorner(1, kScreen, workArea, kAnimation));
    for (int code : {0, 2, 3, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(AnimationCellCorner(code, kScreen, kNoTaskbar, kAnimation),
                  AnimationCellCorner(code, kScreen, workArea, kAnimation)) << code;
    }
}

TEST(SlideSteps, AThirtiethOrAFifteenthOverShortDistances) {
    EXPECT_EQ((Point{27, 22}), SlideSteps({0, 0}, {824, 668}));
    EXPECT_EQ((Point{-27, -22}), SlideSteps({824, 668}, {0, 0}));
    // The two thirtieths add up to exactly 20: they stay.
    EXPECT_EQ((Point{20, 0}), SlideSteps({0, 0}, {600, 0}));
    EXPECT_EQ((Point{-10, 10}), SlideSteps({300, 0}, {0, 300}));
    // 19 is below 20, and the sum is of magnitudes, so a negative axis counts too.
    EXPECT_EQ((Point{38, 0}), SlideSteps({0, 0}, {570, 0}));
    EXPECT_EQ((Point{-38, 0}), SlideSteps({570, 0}, {0, 0}));
    EXPECT_EQ((Point{-20, 6}), SlideSteps({300, 0}, {0, 90}));
}

// Each pass after the first moves the window back by its step to the previous corner
// before drawing the look-ahead picture, so corner − step must be that corner.
void ExpectWellFormed(const std::vector<SlidePass>& path, Point start, Point target) {
    ASSERT_FALSE(path.empty());
    Point previous = start;
    for (size_t i = 0; i < path.size(); ++i) {
        const SlidePass& pass = path[i];
        EXPECT_EQ(static_cast<int>(i), pass.index);
        EXPECT_EQ(i + 1 == path.size(), pass.arrived) << "pass " << i;
        if (i > 0) {
            EXPECT_EQ(previous, (Point{pass.corner.x - pass.step.x, pass.corner.y - pass.step.y}))
                << "pass " << i;
        }
        previous = pass.corner;
    }
    EXPECT_EQ(target, path.back().corner);
}

TEST(SlidePath, TopLeftToBottomRightOnA1024By768Screen) {
    const Point start = AnimationCellCorner(1, kScreen, kNoTaskbar, kAnimation);
    const Point target = AnimationCellCorner(8, kScreen, kNoTaskbar, kAnimation);
    const std::vector<SlidePass> path = SlidePath(start, start, target);

    ASSERT_EQ(32u, path.size());
    ExpectWellFormed(path, start, target);
    EXPECT_EQ(start, path[0].corner);
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ((Point{27 * i, 22 * i}), path[i].corner) << "pass " << i;
        EXPECT_EQ((Point{27, 22}), path[i].step) << "pass " << i;
    }
    EXPECT_EQ((Point{810, 660}), path[30].corner);
    EXPECT_EQ((Point{824, 668}), path[31].corner);
    EXPECT_EQ((Point{14, 8}), path[31].step);
}

TEST(SlidePath, BottomRightToTopLeftShortensNegativeSteps) {
    const Point start = {824, 668};
    const Point target = {0, 0};
    const std::vector<SlidePass> path = SlidePath(start, start, target);

    ASSERT_EQ(32u, path.size());
    ExpectWellFormed(path, start, target);
    EXPECT_EQ((Point{14, 8}), path[30].corner);
    EXPECT_EQ((Point{-14, -8}), path[31].step);
}

TEST(SlidePath, TopCentreToBottomCentreMovesOnlyVertically) {
    const Point start = AnimationCellCorner(4, kScreen, kNoTaskbar, kAnimation);
    const Point target = AnimationCellCorner(5, kScreen, kNoTaskbar, kAnimation);
    const std::vector<SlidePass> path = SlidePath(start, start, target);

    ExpectWellFormed(path, start, target);
    ASSERT_EQ(32u, path.size());
    for (const SlidePass& pass : path) {
        EXPECT_EQ(412, pass.corner.x) << "pass " << pass.index;
        EXPECT_EQ(0, pass.step.x) << "pass " << pass.index;
    }
    EXPECT_EQ(660, path[30].corner.y);
    EXPECT_EQ(8, path[31].step.y);
}

TEST(SlidePath, EqualCellsMakeOnePass) {
    const Point corner = AnimationCellCorner(7, kScreen, kNoTaskbar, kAnimation);
    const std::vector<SlidePass> path = SlidePath(corner, corner, corner);
    ASSERT_EQ(1u, path.size());
    EXPECT_EQ(corner, path[0].corner);
    EXPECT_EQ((Point{0, 0}), path[0].step);
    EXPECT_TRUE(path[0].arrived);
}

TEST(SlidePath, AnAxisWithAZeroStepJumpsInTheFirstPass) {
    // 20 across stays below 30, so its thirtieth is 0 while the other axis moves 20 a pass.
    const std::vector<SlidePass> path = SlidePath({0, 0}, {0, 0}, {20, 600});
    ExpectWellFormed(path, {0, 0}, {20, 600});
    EXPECT_EQ((Point{20, 0}), path[0].corner);
    EXPECT_EQ((Point{20, 20}), path[0].step);   // the jump is the shortened step
    EXPECT_EQ((Point{20, 20}), path[1].corner);
    EXPECT_EQ((Point{0, 20}), path[1].step);
    EXPECT_EQ(31u, path.size());

    // Over a short distance the fifteenth is used, and below 15 it is 0 as well.
    const std::vector<SlidePass> shortPath = SlidePath({100, 100}, {100, 100}, {110, 300});
    ExpectWellFormed(shortPath, {100, 100}, {110, 300});
    EXPECT_EQ((Point{110, 100}), shortPath[0].corner);
    EXPECT_EQ((Point{110, 113}), shortPath[1].corner);
}

TEST(SlidePath, StepsCountFromTheCornerTheWindowReports) {
    // The first decision uses the computed start; the positions are counted from the corner
    // read back from the window.
    const std::vector<SlidePass> path = SlidePath({0, 0}, {3, 0}, {300, 0});
    ExpectWellFormed(path, {0, 0}, {300, 0});
    EXPECT_EQ((Point{3, 0}), path[0].corner);
    EXPECT_EQ((Point{23, 0}), path[1].corner);
    ASSERT_EQ(16u, path.size());
    EXPECT_EQ((Point{283, 0}), path[14].corner);
    EXPECT_EQ((Point{17, 0}), path[15].step);
}

TEST(SlidePath, EveryPairOfCellsArrives) {
    for (Size animation : {kAnimation, Size{30, 20}, Size{1200, 900}}) {
        for (int from = 0; from <= 8; ++from) {
            for (int to = 0; to <= 8; ++to) {
                const Point start = AnimationCellCorner(from, kScreen, {40, 30}, animation);
                const Point target = AnimationCellCorner(to, kScreen, {40, 30}, animation);
                SCOPED_TRACE(::testing::Message() << from << " to " << to);
                ExpectWellFormed(SlidePath(start, start, target), start, target);
            }
        }
    }
}

}  // namespace
