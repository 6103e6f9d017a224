// The message window: after the last frame of a package with a message, or on a click on
// the animation, a square of half the screen height appears at the end cell over the
// screen that lay there; the metafile grows through the five zoom rectangles, the caption
// is written inside CaptionRect only, and a click or Escape ends the show and removes its
// files.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "desktop_pattern.h"
#include "show_test_base.h"

namespace e2e {
namespace {

// On a 1024 x 768 screen: the last zoom rectangle is (0, 0, 380, 380) and CaptionRect is
// (30, 30, 291, 291) of the 384-pixel square.
constexpr int kZoomEnd = 380;
constexpr int kCaptionLeft = 30, kCaptionRight = 291;

bool InCaptionRect(int x, int y) {
    return x >= kCaptionLeft && x < kCaptionRight && y >= kCaptionLeft && y < kCaptionRight;
}

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;   // inclusive; right < left when empty
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The pixels of the played metafile (card and mark) in a picture of the square.
Box MetafileBox(const ModelImage& square) {
    Box box{square.width, square.height, -1, -1};
    for (int y = 0; y < square.height; ++y)
        for (int x = 0; x < square.width; ++x) {
            uint32_t p = ModelPixel(square, x, y);
            if (p != kCardColour && p != kMarkColour) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x);
            box.bottom = std::max(box.bottom, y);
        }
    return box;
}

// The ZoomStep whose rectangle the box fills (one pixel of rounding allowed), or -1.
int ZoomStepOf(const Box& box) {
    for (int step = 0; step <= 4; ++step) {
        int left = 25 * (4 - step), right = left + (kMessageSide / 5) * (step + 1);
        if (std::abs(box.left - left) <= 1 && std::abs(box.top - left) <= 1 &&
            std::abs(box.right - (right - 1)) <= 1 && std::abs(box.bottom - (right - 1)) <= 1)
            return step;
    }
    return -1;
}

int CaptionPixels(const ModelImage& square) {
    int count = 0;
    for (uint32_t p : square.pixels)
        if (p == kCaptionColour) ++count;
    return count;
}

// What the square showed from the moment its window was mapped until its first zoom picture:
// reads with pixels that are neither the desktop that lies there nor the message's, such as
// those of a square not yet painted.
struct FirstAppearance {
    int reads = 0;
    int unpaintedReads = 0;
    int mostUnpainted = 0;
    uint32_t firstUnpainted = 0;
    bool pictured = false;
};

FirstAppearance WatchTheSquareAppear(int x0, int y0, int timeoutMs) {
    FirstAppearance seen;
    bool mapped = false;
    for (int64_t deadline = NowMs() + timeoutMs; NowMs() < deadline && !seen.pictured;) {
        if (!mapped) {
            mapped = FindWindowsByRect(x0, y0, kMessageSide, kMessageSide).size() == 1;
            continue;
        }
        ModelImage square = ScreenPiece(x0, y0, kMessageSide, kMessageSide);
        if (square.width != kMessageSide) continue;
        ++seen.reads;
        int unpainted = 0;
        for (int y = 0; y < kMessageSide; ++y)
            for (int x = 0; x < kMessageSide; ++x) {
                uint32_t p = ModelPixel(square, x, y);
                if (p == DesktopPatternPixel(x0 + x, y0 + y) || p == kCardColour || p == kMarkColour ||
                    p == kCaptionColour)
                    continue;
                if (unpainted++ == 0 && seen.unpaintedReads == 0) seen.firstUnpainted = p;
            }
        if (unpainted > 0) ++seen.unpaintedReads;
        seen.mostUnpainted = std::max(seen.mostUnpainted, unpainted);
        Box box = MetafileBox(square);
        seen.pictured = box.right >= box.left;
    }
    return seen;
}

std::string Describe(const Box& box) {
    return "(" + std::to_string(box.left) + "," + std::to_string(box.top) + ")-(" +
           std::to_string(box.right) + "," + std::to_string(box.bottom) + ")";
}

class ShowMessageTest : public ShowTest {
protected:
    ShowPackage MessagePackage(const Bytes& gif, int start, int end, int markRepeats = 1) {
        ShowPackage package;
        package.animationPath = WriteAnimation(gif);
        package.messagePath = WriteMessage(markRepeats);
        package.caption = "Reelbox caption words wrap inside their rectangle line by line";
        package.font = "Arial,-28,bold";
        package.colour = "#FF00FF";
        package.start = start;
        package.end = end;
        return package;
    }

    // Follows the zoom in the square at (x0, y0) until the caption is written: every steady
    // picture shows the metafile in one of the zoom rectangles, growing, over the desktop.
    void FollowZoom(int x0, int y0) {
        ModelImage desktop = DesktopPiece(x0, y0, kMessageSide, kMessageSide);
        ModelImage previous;
        std::vector<int> steps;
        int64_t first = NowMs();
        bool captioned = WaitUntil(
            [&] {
                // Nothing takes the focus away: the square stays on the screen throughout.
                EXPECT_EQ(FindWindowsByRect(x0, y0, kMessageSide, kMessageSide).size(), 1u)
                    << "the message window left the screen during the zoom";
                ModelImage seen = ScreenPiece(x0, y0, kMessageSide, kMessageSide);
                bool steady = CountDifferences(seen, previous) == 0;
                previous = seen;
                if (!steady) return false;
                Box box = MetafileBox(seen);
                if (box.right < box.left) return false;   // not painted yet
                int step = ZoomStepOf(box);
                EXPECT_GE(step, 0) << "metafile drawn in " << Describe(box);
                if (step < 0) return true;
                if (steps.empty() || steps.back() != step) steps.push_back(step);
                int outside = 0;
                for (int y = 0; y < kMessageSide; ++y)
                    for (int x = 0; x < kMessageSide; ++x)
                        if ((x < box.left - 1 || x > box.right + 1 || y < box.top - 1 ||
                             y > box.bottom + 1) &&
                            ModelPixel(seen, x, y) != ModelPixel(desktop, x, y))
                            ++outside;
                EXPECT_EQ(outside, 0) << "around zoom step " << step
                                      << " the square does not show the desktop";
                return step == 4 && CaptionPixels(seen) > 0;
            },
            5000, 3);
        std::string order;
        for (int s : steps) order += " " + std::to_string(s);
        std::printf("[ zoom ] steps seen:%s; caption %lld ms after the square's first paint\n",
                    order.c_str(), (long long)(NowMs() - first));
        ASSERT_TRUE(captioned) << "no caption within 5 s; steps seen:" << order;
        for (size_t i = 1; i < steps.size(); ++i)
            EXPECT_GT(steps[i], steps[i - 1]) << "the zoom went back; steps:" << order;
    }

    // The finished message: the metafile covers the last zoom rectangle (the mark in its
    // lower right part), the caption lies inside CaptionRect and nowhere else, and the
    // square's edge beyond the zoom rectangle shows the desktop that lay there.
    // The caption may still be being written when the zoom is first seen finished, so the
    // square is read until it is complete (or 2 s have passed) and the last picture judged.
    void CheckFinishedMessage(int x0, int y0) {
        ModelImage seen;
        int captionInside = 0, captionOutside = 0, notMetafile = 0, notDesktop = 0;
        std::string firstNotMetafile, firstNotDesktop;
        auto measure = [&] {
            seen = ScreenPiece(x0, y0, kMessageSide, kMessageSide);
            captionInside = captionOutside = notMetafile = notDesktop = 0;
            if (seen.width != kMessageSide) return false;
            for (int y = 0; y < kMessageSide; ++y)
                for (int x = 0; x < kMessageSide; ++x) {
                    uint32_t p = ModelPixel(seen, x, y);
                    if (p == kCaptionColour) (InCaptionRect(x, y) ? captionInside : captionOutside)++;
                    if (x < kZoomEnd && y < kZoomEnd && !InCaptionRect(x, y) && p != kCardColour &&
                        p != kMarkColour && notMetafile++ == 0)
                        firstNotMetafile = "(" + std::to_string(x) + "," + std::to_string(y) + ")";
                    if ((x >= kZoomEnd || y >= kZoomEnd) &&
                        p != DesktopPatternPixel(x0 + x, y0 + y) && notDesktop++ == 0)
                        firstNotDesktop = "(" + std::to_string(x) + "," + std::to_string(y) + ")";
                }
            return captionInside > 50 && captionOutside == 0 && notMetafile == 0 && notDesktop == 0;
        };
        WaitUntil(measure, 2000, 20);
        ASSERT_EQ(seen.width, kMessageSide);
        std::printf("[ message ] caption pixels inside CaptionRect %d, outside %d\n",
                    captionInside, captionOutside);
        EXPECT_GT(captionInside, 50) << "no caption written";
        EXPECT_EQ(captionOutside, 0) << "caption colour outside CaptionRect";
        EXPECT_EQ(notMetafile, 0) << "the zoom rectangle is not covered by the metafile, first "
                                  << firstNotMetafile;
        EXPECT_EQ(notDesktop, 0) << "beyond the zoom rectangle the square does not show the "
                                 << "desktop that lay there, first " << firstNotDesktop;
        // The mark stands where the metafile puts it scaled to 380 pixels: (304..370).
        EXPECT_EQ(ModelPixel(seen, 337, 337), kMarkColour);
        EXPECT_EQ(ModelPixel(seen, 300, 200), kCardColour);
        EXPECT_EQ(ModelPixel(seen, 200, 300), kCardColour);
        EXPECT_EQ(ModelPixel(seen, 5, 5), kCardColour);
        EXPECT_EQ(ModelPixel(seen, 378, 5), kCardColour);
    }

    // A click on the message, or Escape, ends the show.
    void UserEndsTheShow(WineProcess* show, int x0, int y0, bool escape) {
        EXPECT_FALSE(ListTempFolder().empty()) << "the show runs without its temporary files";
        int64_t at = NowMs();
        if (escape) {
            MovePointer(5, 5);
            ASSERT_TRUE(PressKey("Escape"));
        } else {
            ClickAt(x0 + kMessageSide / 2, y0 + kMessageSide / 2);
        }
        ASSERT_TRUE(Ends(show, 10000));
        std::printf("[ message ] the show ended %lld ms after the %s\n",
                    (long long)(show->endedMs - at), escape ? "Escape key" : "click");
        EXPECT_EQ(show->exitCode, 0);
        EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
    }
};

TEST_F(ShowMessageTest, MessageFollowsTheLastFrameAtTheEndCell) {
    // Three frames of half a second; the window slides from the top right to the bottom
    // right corner, where the message square then stands.
    Bytes gif = MakeAnimation(
        160, 120,
        {MakeFrame(0, 0, 160, 120, 1, 50, 0, [](int x, int y) { return (x + y) % 5 ? 20 : 0; }),
         MakeFrame(20, 20, 60, 60, 1, 50, -1, [](int, int) { return 40; }),
         MakeFrame(80, 40, 60, 60, 1, 50, -1, [](int, int) { return 60; })});
    const int ax = 1024 - 160, ay = 768 - 120, mx = 1024 - kMessageSide, my = 768 - kMessageSide;
    std::vector<ModelImage> frames = ModelFrames(gif, DesktopPiece(ax, ay, 160, 120));
    ASSERT_EQ(frames.size(), 3u);
    WineProcess* show = StartShow(MessagePackage(gif, 6, 8));
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(WaitForWindowAt(ax, ay, 160, 120, 15000));
    ASSERT_TRUE(ScreenShows(ax, ay, frames[2], 6000));
    int64_t lastFrame = NowMs();
    ASSERT_TRUE(WaitForWindowAt(mx, my, kMessageSide, kMessageSide, 5000));
    int64_t opened = NowMs();
    std::printf("[ message ] the square appeared %lld ms after the last frame was seen\n",
                (long long)(opened - lastFrame));
    // The last frame keeps its delay of 500 ms before the message replaces it.
    EXPECT_GE(opened - lastFrame, 500 - 30);
    EXPECT_TRUE(FindWindowsByRect(ax, ay, 160, 120).empty()) << "the animation is still shown";
    FollowZoom(mx, my);
    CheckFinishedMessage(mx, my);
    UserEndsTheShow(show, mx, my, false);
}

TEST_F(ShowMessageTest, ClickOnThePlayingAnimationOpensTheMessage) {
    // Four frames, the first of three seconds; the click comes while it stands.
    Bytes gif = MakeAnimation(
        160, 120,
        {MakeFrame(0, 0, 160, 120, 1, 300, 0, [](int x, int y) { return (x * y) % 3 ? 100 : 0; }),
         MakeFrame(0, 0, 160, 120, 1, 100, -1, [](int, int) { return 120; }),
         MakeFrame(0, 0, 160, 120, 1, 100, -1, [](int, int) { return 140; }),
         MakeFrame(0, 0, 160, 120, 1, 100, -1, [](int, int) { return 160; })});
    const int ax = (1024 - 160) / 2, ay = (768 - 120) / 2;
    const int mx = (1024 - kMessageSide) / 2, my = (768 - kMessageSide) / 2;
    WineProcess* show = StartShow(MessagePackage(gif, 4, 0));
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(WaitForWindowAt(ax, ay, 160, 120, 15000));
    std::vector<ModelImage> frames = ModelFrames(gif, DesktopPiece(ax, ay, 160, 120));
    ASSERT_EQ(frames.size(), 4u);
    ASSERT_TRUE(ScreenShows(ax, ay, frames[0], 3000));
    int64_t clicked = NowMs();
    ClickAt(ax + 80, ay + 60);
    ASSERT_TRUE(WaitForWindowAt(mx, my, kMessageSide, kMessageSide, 3000));
    std::printf("[ message ] the square appeared %lld ms after the click\n",
                (long long)(NowMs() - clicked));
    EXPECT_TRUE(FindWindowsByRect(ax, ay, 160, 120).empty()) << "the animation is still shown";
    // The animation stood inside the square: the zoom's background must not hold it.
    FollowZoom(mx, my);
    CheckFinishedMessage(mx, my);
    UserEndsTheShow(show, mx, my, false);
}

TEST_F(ShowMessageTest, TheSquareAppearsWithItsFirstPictureAndEscapeEndsTheFinishedShow) {
    // One frame without delay at the centre: the message follows at the first ticks.
    Bytes gif = MakeAnimation(
        80, 60, {MakeFrame(0, 0, 80, 60, 1, 0, -1, [](int, int) { return 90; })});
    const int mx = (1024 - kMessageSide) / 2, my = (768 - kMessageSide) / 2;
    // Under Wine, the thread that feeds a playing sound to the sound device puts the pending
    // drawing of every window of the process on the screen each time it waits (about every
    // 16 ms). Once a newly shown window has been exposed, all of its still unpainted surface
    // is pending, and appears black if that thread acts before the first paint is done. So
    // the show plays a sound (two seconds of silence) while the message opens, and the
    // message's mark is drawn 20000 times over itself, which makes every paint of it last
    // several of that thread's periods.
    ShowPackage package = MessagePackage(gif, 0, 0, 20000);
    package.soundPath = OutputPath("silence.wav");
    std::string sox = "sox -n -r 22050 -c 1 -b 16 '" + package.soundPath + "' trim 0 2";
    ASSERT_EQ(std::system(sox.c_str()), 0) << sox;
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);
    // Not one read between the square's appearance and its first zoom picture may show it
    // unpainted.
    FirstAppearance first = WatchTheSquareAppear(mx, my, 15000);
    std::printf("[ message ] %d reads before the first zoom picture, %d with unpainted pixels "
                "(at most %d)\n", first.reads, first.unpaintedReads, first.mostUnpainted);
    ASSERT_TRUE(first.pictured) << "no zoom picture in the square within 15 s";
    EXPECT_EQ(first.unpaintedReads, 0) << "the square was seen unpainted before its first "
                                       << "picture, up to " << first.mostUnpainted
                                       << " pixels, the first of colour 0x" << std::hex
                                       << first.firstUnpainted;
    ASSERT_TRUE(Within(5000, "the caption written", [&] {
        return CaptionPixels(ScreenPiece(mx, my, kMessageSide, kMessageSide)) > 0;
    }));
    UserEndsTheShow(show, mx, my, true);
}

}  // namespace
}  // namespace e2e
