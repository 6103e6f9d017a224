// The animation window on the screen: the slide from the start cell to the end cell, the
// first frame over the desktop, frames advancing by their delays with every disposal
// method as the composition model predicts, no looping, and the two ways the user ends a
// show from the animation (Escape, and a click when no message is packaged).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

#include "desktop_pattern.h"
#include "show_test_base.h"

namespace e2e {
namespace {

class ShowPlaybackTest : public ShowTest {};

struct Corner {
    int x, y;
    int64_t seenMs;
};

// 200 x 100, the worked example of the slide: a striped first frame with a see-through hole
// that stays three seconds, then an opaque second frame.
Bytes SlideAnimation() {
    return MakeAnimation(
        200, 100,
        {MakeFrame(0, 0, 200, 100, 1, 300, 0,
                   [](int x, int y) {
                       if (x >= 70 && x < 130 && y >= 30 && y < 70) return 0;
                       return (x / 10 + y / 10) % 2 ? 60 : 120;
                   }),
         MakeFrame(0, 0, 200, 100, 1, 10, -1, [](int, int) { return 200; })});
}

TEST_F(ShowPlaybackTest, SlidesFromTopLeftToBottomRightAndShowsTheFirstFrameOverTheDesktop) {
    Bytes gif = SlideAnimation();
    ShowPackage package;
    package.animationPath = WriteAnimation(gif);
    package.start = 1;
    package.end = 8;
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);

    // Every corner the 200 x 100 window takes, in order, until it stands at the end cell.
    std::vector<Corner> corners;
    int64_t deadline = NowMs() + 20000;
    while (NowMs() < deadline) {
        std::vector<TopWindow> windows = WindowsOfSize(200, 100);
        int64_t now = NowMs();
        if (windows.size() == 1) {
            const TopWindow& w = windows[0];
            if (corners.empty() || corners.back().x != w.x || corners.back().y != w.y)
                corners.push_back({w.x, w.y, now});
            if (w.x == 824 && w.y == 668) break;
        }
        ASSERT_LE(windows.size(), 1u) << DescribeWindows(windows);
        ASSERT_FALSE(PollExit(show)) << "the show ended during its entrance";
    }
    ASSERT_FALSE(corners.empty()) << "no 200x100 window appeared";
    std::printf("[ slide ] %zu corners seen, first (%d,%d), last (%d,%d), %lld ms from the "
                "first to the last\n",
                corners.size(), corners.front().x, corners.front().y, corners.back().x,
                corners.back().y, (long long)(corners.back().seenMs - corners.front().seenMs));
    EXPECT_EQ(corners.front().x, 0);
    EXPECT_EQ(corners.front().y, 0);
    ASSERT_EQ(corners.back().x, 824);
    ASSERT_EQ(corners.back().y, 668);

    // Steps of 27 and 22 pixels up to (810, 660) at pass 30, then the end cell. Within a
    // pass the window visits the previous corner once more, so a corner may repeat the one
    // before it, never an older one.
    int highest = 0, intermediate = 0;
    for (const Corner& corner : corners) {
        int pass = -1;
        if (corner.x == 824 && corner.y == 668)
            pass = 31;
        else if (corner.x % 27 == 0 && corner.x / 27 <= 30 && corner.y == corner.x / 27 * 22)
            pass = corner.x / 27;
        ASSERT_GE(pass, 0) << "corner (" << corner.x << "," << corner.y << ") is off the path";
        EXPECT_GE(pass, highest - 1) << "the window went back to pass " << pass;
        if (pass > highest) highest = pass;
        if (pass > 0 && pass < 31) ++intermediate;
    }
    EXPECT_GE(intermediate, 5) << "too few intermediate corners seen";
    // 31 waits of 50 ms lie between the window's appearance and its last move.
    EXPECT_GE(corners.back().seenMs - corners.front().seenMs, 1500);

    std::vector<ModelImage> frames = ModelFrames(gif, DesktopPiece(824, 668, 200, 100));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(ScreenShows(824, 668, frames[0], 1000));
    // Nothing of the slide is left at the start cell.
    EXPECT_TRUE(ScreenShows(0, 0, DesktopPiece(0, 0, 200, 100), 1000));
    // The second frame follows once the first frame's three seconds are up.
    EXPECT_TRUE(ScreenShows(824, 668, frames[1], 3000));

    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(show, 10000));
    EXPECT_EQ(show->exitCode, 0);
}

// During the slide the window shows the first frame over the piece of the screen under the
// corner where it stands. Reads are kept only when the window stood at the same corner
// before and after them; a read may still fall inside a pass, between a move and the copy
// that follows it, so the test asks for most reads to match, not all.
TEST_F(ShowPlaybackTest, SlideShowsTheFirstFrameOverTheScreenUnderEachCorner) {
    Bytes gif = SlideAnimation();
    ShowPackage package;
    package.animationPath = WriteAnimation(gif);
    package.start = 1;
    package.end = 8;
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);

    struct Sample {
        int x, y;
        ModelImage pixels;
    };
    std::vector<Sample> samples;
    int64_t deadline = NowMs() + 20000;
    while (NowMs() < deadline) {
        std::vector<TopWindow> before = WindowsOfSize(200, 100);
        if (before.size() != 1) continue;
        int x = before[0].x, y = before[0].y;
        if (x == 824 && y == 668) break;
        ModelImage pixels = ScreenPiece(x, y, 200, 100);
        std::vector<TopWindow> after = WindowsOfSize(200, 100);
        if (after.size() == 1 && after[0].x == x && after[0].y == y &&
            !pixels.pixels.empty())
            samples.push_back({x, y, pixels});
    }
    ASSERT_GE(samples.size(), 20u) << "too few reads of the sliding window";

    std::map<std::pair<int, int>, ModelImage> expected;
    int matching = 0;
    std::string mismatch;
    for (const Sample& sample : samples) {
        auto corner = std::make_pair(sample.x, sample.y);
        if (!expected.count(corner))
            expected[corner] = ModelFrames(gif, DesktopPiece(sample.x, sample.y, 200, 100))[0];
        if (CountDifferences(sample.pixels, expected[corner]) == 0)
            ++matching;
        else if (mismatch.empty())
            mismatch = "at (" + std::to_string(sample.x) + "," + std::to_string(sample.y) +
                       "): " + DescribeFirstDifference(sample.pixels, expected[corner]);
    }
    int atStart = 0, atStartMatching = 0;
    for (const Sample& sample : samples)
        if (sample.x == 0 && sample.y == 0) {
            ++atStart;
            if (CountDifferences(sample.pixels, expected[std::make_pair(0, 0)]) == 0)
                ++atStartMatching;
        }
    std::printf("[ slide ] %d of %zu reads at %zu corners show the first frame over the "
                "screen under the window (at the start cell %d of %d)\n",
                matching, samples.size(), expected.size(), atStartMatching, atStart);
    EXPECT_GE(matching * 2, int(samples.size()))
        << "most reads show another picture; the first: " << mismatch;

    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(show, 10000));
    EXPECT_EQ(show->exitCode, 0);
}

// 120 x 80 at the centre, six frames of half a second each: every disposal method is used
// and a transparent part of each frame shows what the method left on the stage.
Bytes DisposalAnimation() {
    return MakeAnimation(
        120, 80,
        {MakeFrame(0, 0, 120, 80, 1, 50, 0,
                   [](int x, int y) {
                       if (x >= 40 && x < 80 && y >= 20 && y < 60) return 0;
                       return 10 + (x / 8 % 2) * 10;
                   }),
         MakeFrame(10, 10, 30, 30, 0, 50, 0,
                   [](int x, int y) { return (x / 3 + y / 3) % 2 ? 30 : 0; }),
         MakeFrame(50, 30, 40, 40, 2, 50, 0,
                   [](int x, int y) { return x < 20 || y < 8 ? 50 + y % 2 : 0; }),
         MakeFrame(20, 40, 60, 30, 3, 50, 0, [](int, int y) { return y % 6 == 0 ? 0 : 70; }),
         MakeFrame(0, 0, 40, 40, 0, 50, 0,
                   [](int x, int y) { return (x / 4 + y / 4) % 2 ? 90 : 0; }),
         MakeFrame(60, 0, 60, 40, 2, 50, 0, [](int x, int y) {
             return x > 20 && x < 40 && y > 10 && y < 30 ? 0 : 110;
         })});
}

constexpr int kCentreX = (1024 - 120) / 2, kCentreY = (768 - 80) / 2;

TEST_F(ShowPlaybackTest, FramesFollowTheirDelaysAndDisposalsOnceAndTheLastFrameStays) {
    Bytes gif = DisposalAnimation();
    std::vector<ModelImage> frames = ModelFrames(gif, DesktopPiece(kCentreX, kCentreY, 120, 80));
    ASSERT_EQ(frames.size(), 6u);
    for (size_t k = 1; k < frames.size(); ++k)
        ASSERT_GT(CountDifferences(frames[k], frames[k - 1]), 0) << "frames " << k - 1 << "," << k;
    ShowPackage package;
    package.animationPath = WriteAnimation(gif);
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);

    // Reads the window's rectangle as fast as it can and notes when each model frame is first
    // seen, and the read before it. A picture that matches no frame and holds for two reads
    // in a row is a fault.
    struct Sighting {
        int frame;
        int64_t firstSeenMs, lastBeforeMs;
    };
    std::vector<Sighting> sightings;
    ModelImage previous;
    int64_t previousMs = NowMs(), deadline = NowMs() + 20000, lastFrameSince = 0;
    int current = -1;
    while (NowMs() < deadline) {
        ModelImage seen = ScreenPiece(kCentreX, kCentreY, 120, 80);
        int64_t now = NowMs();
        int match = -1;
        for (size_t k = 0; k < frames.size() && match < 0; ++k)
            if (CountDifferences(seen, frames[k]) == 0) match = int(k);
        if (match >= 0 && match != current) {
            sightings.push_back({match, now, previousMs});
            current = match;
            if (match == 5) lastFrameSince = now;
        } else if (match < 0 && CountDifferences(seen, previous) == 0 &&
                   CountDifferences(seen, DesktopPiece(kCentreX, kCentreY, 120, 80)) != 0) {
            ADD_FAILURE() << "after frame " << current << " the window holds a picture that is "
                          << "no frame of the model; against the next frame: "
                          << DescribeFirstDifference(
                                 seen, frames[size_t(std::min(current + 1, 5))]);
            break;
        }
        // The last frame must still stand 1.5 s after it came: no loop, nothing cleared.
        if (current == 5 && now - lastFrameSince > 1500) break;
        previous = seen;
        previousMs = now;
        SleepMs(2);
    }
    std::string order;
    for (const Sighting& s : sightings) order += " " + std::to_string(s.frame);
    ASSERT_EQ(sightings.size(), 6u) << "frames seen in order:" << order;
    for (int k = 0; k < 6; ++k) EXPECT_EQ(sightings[size_t(k)].frame, k) << "order:" << order;
    EXPECT_EQ(current, 5);
    EXPECT_EQ(CountDifferences(ScreenPiece(kCentreX, kCentreY, 120, 80), frames[5]), 0)
        << "the last frame did not stay";
    EXPECT_FALSE(PollExit(show)) << "the show ended on its own";

    // Frames 1 to 4 have a whole delay of 500 ms on the screen. A frame may stay longer
    // (ticks, paints and a busy machine), never shorter; the reads bracket each change.
    for (int k = 1; k + 1 < 6; ++k) {
        const Sighting& from = sightings[size_t(k)];
        const Sighting& to = sightings[size_t(k + 1)];
        int64_t atMost = to.firstSeenMs - from.lastBeforeMs;
        int64_t atLeast = to.lastBeforeMs - from.firstSeenMs;
        std::printf("[ frame %d ] on the screen %lld..%lld ms (delay 50)\n", k,
                    (long long)atLeast, (long long)atMost);
        // The tick count the player compares moves in steps of up to about 16 ms under Wine.
        EXPECT_GE(atMost, 500 - 20) << "frame " << k << " was replaced early";
        EXPECT_LE(atLeast, 500 + 400) << "frame " << k << " stayed far too long";
    }
    std::printf("[ frame 0 ] on the screen %lld ms after it was first seen (its delay runs "
                "from the window's creation)\n",
                (long long)(sightings[1].firstSeenMs - sightings[0].firstSeenMs));

    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(show, 10000));
    EXPECT_EQ(show->exitCode, 0);
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

// Two slow frames at the centre; long enough for the test to act while they play.
Bytes SlowAnimation(int width, int height) {
    return MakeAnimation(
        width, height,
        {MakeFrame(0, 0, width, height, 1, 400, 0,
                   [](int x, int y) { return (x + y) % 7 == 0 ? 0 : 140 + x % 5; }),
         MakeFrame(0, 0, width, height, 1, 400, -1, [](int, int) { return 180; })});
}

TEST_F(ShowPlaybackTest, EscapeEndsTheShowWithoutTheMessageWindow) {
    ShowPackage package;
    package.animationPath = WriteAnimation(SlowAnimation(120, 80));
    package.messagePath = WriteMessage();
    package.caption = "never shown";
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(WaitForWindowAt(kCentreX, kCentreY, 120, 80, 15000));
    ASSERT_TRUE(Within(2000, "the first frame drawn", [&] {
        ModelImage seen = ScreenPiece(kCentreX, kCentreY, 120, 80);
        return CountDifferences(seen, DesktopPiece(kCentreX, kCentreY, 120, 80)) > 1000;
    }));
    EXPECT_FALSE(ListTempFolder().empty()) << "the show runs without its temporary files";

    MovePointer(5, 5);
    int64_t pressed = NowMs();
    ASSERT_TRUE(PressKey("Escape"));
    bool messageWindowSeen = false;
    WaitUntil(
        [&] {
            if (!WindowsOfSize(kMessageSide, kMessageSide).empty()) messageWindowSeen = true;
            return PollExit(show);
        },
        10000, 5);
    ASSERT_TRUE(Ends(show, 1000));
    std::printf("[ escape ] the show ended %lld ms after Escape\n",
                (long long)(show->endedMs - pressed));
    EXPECT_EQ(show->exitCode, 0);
    EXPECT_FALSE(messageWindowSeen) << "Escape on the animation opened the message window";
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

TEST_F(ShowPlaybackTest, ClickWithoutMessageEndsTheShowAtOnce) {
    ShowPackage package;
    package.animationPath = WriteAnimation(SlowAnimation(120, 80));
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(WaitForWindowAt(kCentreX, kCentreY, 120, 80, 15000));
    EXPECT_FALSE(ListTempFolder().empty()) << "the show runs without its temporary files";
    // The first frame plays; its delay is four seconds.
    ASSERT_TRUE(Within(2000, "the first frame drawn", [&] {
        ModelImage seen = ScreenPiece(kCentreX, kCentreY, 120, 80);
        return CountDifferences(seen, DesktopPiece(kCentreX, kCentreY, 120, 80)) > 1000;
    }));

    int64_t clicked = NowMs();
    ClickAt(kCentreX + 60, kCentreY + 40);
    ASSERT_TRUE(Within(2000, "the animation window gone",
                       [&] { return FindWindowsByRect(kCentreX, kCentreY, 120, 80).empty(); }));
    int64_t hidden = NowMs();
    ASSERT_TRUE(Ends(show, 10000));
    std::printf("[ click ] window gone %lld ms and process ended %lld ms after the click\n",
                (long long)(hidden - clicked), (long long)(show->endedMs - clicked));
    EXPECT_EQ(show->exitCode, 0);
    // The first frame's delay was far from over: the click, not the animation, ended it.
    EXPECT_LT(show->endedMs - clicked, 3500);
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

}  // namespace
}  // namespace e2e
