// Focus loss: when another window takes the foreground, the animation window hides for a
// second so that what lies behind it can repaint, captures the screen afresh and comes
// back with its frame drawn over the new capture; the finished message window does the same
// and plays its metafile and writes its caption again.
#include <cstdio>

#include "desktop_pattern.h"
#include "show_test_base.h"

namespace e2e {
namespace {

class ShowFocusTest : public ShowTest {
protected:
    // When the show's window shows itself again it takes the focus back, and under Wine the
    // other program's window may take it once more a moment later: the window then hides
    // for a second time, and a click in that second finds no window and is lost. So the
    // show is clicked only once the other program has ended and the window has stayed on
    // the screen for 100 ms: a focus loss still queued for the player is handled within
    // milliseconds of the window's return to the message loop, and hides it again.
    ::testing::AssertionResult SettledOnTheScreen(WineProcess* other, int x, int y, int width,
                                                  int height) {
        ::testing::AssertionResult ended = Ends(other, 10000);
        if (!ended) return ended;
        int64_t onScreenSince = -1;
        return Within(5000, "the show's window on the screen for 100 ms", [&] {
            if (FindWindowsByRect(x, y, width, height).size() != 1)
                onScreenSince = -1;
            else if (onScreenSince < 0)
                onScreenSince = NowMs();
            return onScreenSince >= 0 && NowMs() - onScreenSince >= 100;
        });
    }
};

TEST_F(ShowFocusTest, AnotherActiveWindowHidesTheAnimationForASecondAndItReturnsOverAFreshCapture) {
    // One checkered frame, half of it see-through, at the centre.
    Bytes gif = MakeAnimation(160, 120, {MakeFrame(0, 0, 160, 120, 0, 0, 0, [](int x, int y) {
                                  return (x / 8 + y / 8) % 2 ? 0 : 150;
                              })});
    const int ax = (1024 - 160) / 2, ay = (768 - 120) / 2;
    ShowPackage package;
    package.animationPath = WriteAnimation(gif);
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(WaitForWindowAt(ax, ay, 160, 120, 15000));
    ASSERT_TRUE(ScreenShows(ax, ay, ModelFrames(gif, DesktopPiece(ax, ay, 160, 120))[0], 2000));

    // A window of another program that takes the foreground; it lies partly under the
    // animation, so a fresh capture shows its colour through the transparent pixels.
    const int fx = 380, fy = 280, fw = 150, fh = 120;
    const uint32_t fill = 0x33CC99;
    WineProcess* other = Start(Probe(), {"window", std::to_string(fx), std::to_string(fy),
                                           std::to_string(fw), std::to_string(fh), "33CC99", "2000"});
    int64_t started = NowMs();
    ASSERT_TRUE(Within(8000, "the animation window hidden",
                       [&] { return FindWindowsByRect(ax, ay, 160, 120).empty(); }));
    int64_t hidden = NowMs();
    EXPECT_FALSE(FindWindowsByRect(fx, fy, fw, fh).empty()) << "the other window is not shown";
    ASSERT_TRUE(Within(5000, "the animation window shown again",
                       [&] { return FindWindowsByRect(ax, ay, 160, 120).size() == 1; }));
    int64_t shown = NowMs();
    std::printf("[ focus ] hidden %lld ms after the other program started, for %lld ms\n",
                (long long)(hidden - started), (long long)(shown - hidden));
    EXPECT_GE(shown - hidden, 1000 - 50) << "hidden for less than the second it waits";
    EXPECT_LE(shown - hidden, 3000);

    ModelImage background = DesktopPiece(ax, ay, 160, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            if (ax + x >= fx && ax + x < fx + fw && ay + y >= fy && ay + y < fy + fh)
                background.pixels[size_t(y) * 160 + x] = fill;
    EXPECT_TRUE(ScreenShows(ax, ay, ModelFrames(gif, background)[0], 2000))
        << "the frame is not drawn over a fresh capture of the screen";
    EXPECT_FALSE(PollExit(show));

    // A click ends the show once no focus change is under way (see SettledOnTheScreen).
    ASSERT_TRUE(SettledOnTheScreen(other, ax, ay, 160, 120));
    ClickAt(ax + 80, ay + 60);
    ASSERT_TRUE(Ends(show, 10000));
    EXPECT_EQ(show->exitCode, 0);
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

// Caption pixels of the finished message square inside and outside CaptionRect
// (30, 30, 291, 291).
void CountCaption(const ModelImage& square, int* inside, int* outside) {
    *inside = *outside = 0;
    for (int y = 0; y < square.height; ++y)
        for (int x = 0; x < square.width; ++x)
            if (ModelPixel(square, x, y) == kCaptionColour)
                ++(x >= 30 && x < 291 && y >= 30 && y < 291 ? *inside : *outside);
}

TEST_F(ShowFocusTest, FinishedMessageHidesForASecondAndIsDrawnAgainWithItsCaption) {
    ShowPackage package;
    package.animationPath = WriteAnimation(
        MakeAnimation(80, 60, {MakeFrame(0, 0, 80, 60, 0, 0, -1, [](int, int) { return 90; })}));
    package.messagePath = WriteMessage();
    package.caption = "Drawn again after the focus comes back";
    package.font = "Arial,-28,bold";
    package.colour = "#FF00FF";
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);
    const int mx = (1024 - kMessageSide) / 2, my = (768 - kMessageSide) / 2;
    ASSERT_TRUE(WaitForWindowAt(mx, my, kMessageSide, kMessageSide, 15000));
    int inside = 0, outside = 0;
    ASSERT_TRUE(Within(5000, "the caption written", [&] {
        CountCaption(ScreenPiece(mx, my, kMessageSide, kMessageSide), &inside, &outside);
        return inside > 0;
    }));
    // The focus loss below must be the other program's: the message window first takes the
    // keyboard once it is on the screen.
    const unsigned long messageWindow = FindWindowsByRect(mx, my, kMessageSide, kMessageSide)[0].id;
    ASSERT_TRUE(Within(5000, "the message window holding the keyboard",
                       [&] { return FocusedWindow() == messageWindow; }));

    WineProcess* other = Start(Probe(), {"window", "250", "150", "200", "150", "33CC99", "2000"});
    ASSERT_TRUE(Within(8000, "the message window hidden",
                       [&] { return FindWindowsByRect(mx, my, kMessageSide, kMessageSide).empty(); }));
    int64_t hidden = NowMs();
    ASSERT_TRUE(Within(5000, "the message window shown again", [&] {
        return FindWindowsByRect(mx, my, kMessageSide, kMessageSide).size() == 1;
    }));
    int64_t shown = NowMs();
    std::printf("[ focus ] the message square was hidden for %lld ms\n", (long long)(shown - hidden));
    EXPECT_GE(shown - hidden, 1000 - 50);
    EXPECT_LE(shown - hidden, 3000);

    // The repaint plays the metafile again and writes the caption again.
    ModelImage square;
    EXPECT_TRUE(Within(2000, "the metafile and the caption drawn again", [&] {
        square = ScreenPiece(mx, my, kMessageSide, kMessageSide);
        CountCaption(square, &inside, &outside);
        return inside > 50 && ModelPixel(square, 5, 5) == kCardColour &&
               ModelPixel(square, 337, 337) == kMarkColour;
    }));
    EXPECT_EQ(outside, 0) << "caption colour outside CaptionRect";

    ASSERT_TRUE(SettledOnTheScreen(other, mx, my, kMessageSide, kMessageSide));
    ClickAt(mx + kMessageSide / 2, my + kMessageSide / 2);
    ASSERT_TRUE(Ends(show, 10000));
    EXPECT_EQ(show->exitCode, 0);
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

}  // namespace
}  // namespace e2e
