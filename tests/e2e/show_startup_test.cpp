// The start-up figure: wall time from starting a show to its first frame on the screen, for
// a small animation and for a long one, beside the time Wine needs to put an empty window
// on the screen. Printed, not judged; the bounds only catch a hang.
#include <cstdio>

#include "show_test_base.h"

namespace e2e {
namespace {

constexpr int kStartUpLimitMs = 20000;

class ShowStartupTest : public ShowTest {
protected:
    // Starts a show at the centre cell and answers the milliseconds from the process start
    // to the first frame standing exactly as the model draws it; -1 when it never does.
    int64_t ShowStartUp(const Bytes& gif, int width, int height, const std::string& name) {
        int x = (1024 - width) / 2, y = (768 - height) / 2;
        ModelImage first = ModelFrames(gif, DesktopPiece(x, y, width, height))[0];
        ShowPackage package;
        package.animationPath = WriteAnimation(gif, name);
        WineProcess* show = StartShow(package);
        if (!show) return -1;
        int64_t seen = -1;
        WaitUntil(
            [&] {
                if (CountDifferences(ScreenPiece(x, y, width, height), first) != 0) return false;
                seen = NowMs();
                return true;
            },
            kStartUpLimitMs, 2);
        PressKey("Escape");
        EXPECT_TRUE(Ends(show, 10000));
        EXPECT_EQ(show->exitCode, 0);
        return seen < 0 ? -1 : seen - show->startedMs;
    }

    // The same for the probe's plain window of one colour.
    int64_t EmptyWindowStartUp() {
        const int x = 452, y = 344, width = 120, height = 80;
        WineProcess* window = Start(Probe(), {"window", std::to_string(x), std::to_string(y),
                                                std::to_string(width), std::to_string(height),
                                                "123456", "300"});
        int64_t seen = -1;
        WaitUntil(
            [&] {
                std::vector<uint32_t> pixels = ReadScreen(x, y, width, height);
                for (uint32_t p : pixels)
                    if (p != 0x123456) return false;
                seen = NowMs();
                return true;
            },
            kStartUpLimitMs, 2);
        EXPECT_TRUE(Ends(window, 10000));
        return seen < 0 ? -1 : seen - window->startedMs;
    }
};

TEST_F(ShowStartupTest, FirstFrameOnTheScreenBesideAnEmptyWindow) {
    Bytes small = MakeAnimation(120, 80, {MakeFrame(0, 0, 120, 80, 1, 100, 0, [](int x, int y) {
                                    return (x / 6 + y / 6) % 3 ? 30 + x % 20 : 0;
                                })});
    std::vector<TestFrame> many;
    for (int k = 0; k < 150; ++k) {
        TestFrame frame;
        frame.image.width = 200;
        frame.image.height = 150;
        frame.image.pixels = RandomPixels(200 * 150, 256, uint32_t(k + 1));
        frame.delay = 2;
        frame.disposal = 1;
        many.push_back(frame);
    }
    Bytes long_ = MakeAnimation(200, 150, many);

    int64_t emptyFirst = EmptyWindowStartUp();
    int64_t smallShow = ShowStartUp(small, 120, 80, "small.gif");
    int64_t longShow = ShowStartUp(long_, 200, 150, "long.gif");
    int64_t emptyAgain = EmptyWindowStartUp();
    std::printf("[ start-up ] empty window (e2e_probe.exe): %lld ms, again %lld ms\n",
                (long long)emptyFirst, (long long)emptyAgain);
    std::printf("[ start-up ] small show, 1 frame 120x80, %zu-byte GIF: first frame after "
                "%lld ms\n",
                small.size(), (long long)smallShow);
    std::printf("[ start-up ] long show, 150 frames 200x150, %zu-byte GIF: first frame after "
                "%lld ms\n",
                long_.size(), (long long)longShow);
    EXPECT_GE(emptyFirst, 0) << "the empty window never showed";
    EXPECT_GE(emptyAgain, 0) << "the empty window never showed";
    EXPECT_GE(smallShow, 0) << "the small show's first frame never showed";
    EXPECT_GE(longShow, 0) << "the long show's first frame never showed";
}

}  // namespace
}  // namespace e2e
