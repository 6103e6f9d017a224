// The start-up figure: wall time from starting a show to its first frame standing on the
// screen exactly as the composition model draws it, for a large animation, with two players
// taking turns: REELBOX_BASE_PLAYER (the player with an earlier decoder, built by
// startup_figure.sh) and this tree's player. Run by startup_figure.sh inside the test
// environment; it prints each start and the medians and judges nothing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "show_test_base.h"

namespace e2e {
namespace {

constexpr int kFirstFrameLimitMs = 60000;

int64_t Median(std::vector<int64_t> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

class StartupFigure : public ShowTest {
protected:
    // Packs the animation with player, starts the show at the centre cell and answers the
    // milliseconds from the process start to the first frame on the screen; -1 when it never
    // stands there.
    int64_t FirstFrameMs(const std::string& player, const std::string& animation,
                         const ModelImage& first, int x, int y) {
        ShowPackage package;
        package.animationPath = animation;
        std::string show = OutputPath("figure.exe");
        std::string error;
        if (!PackShow(player, package, show, &error)) {
            ADD_FAILURE() << "tackon: " << error;
            return -1;
        }
        WineProcess* process = Start(show);
        int64_t seen = -1;
        WaitUntil(
            [&] {
                if (CountDifferences(ScreenPiece(x, y, first.width, first.height), first) != 0)
                    return false;
                seen = NowMs();
                return true;
            },
            kFirstFrameLimitMs, 2);
        PressKey("Escape");
        EXPECT_TRUE(Ends(process, 20000));
        return seen < 0 ? -1 : seen - process->startedMs;
    }
};

TEST_F(StartupFigure, FirstFrameOfALargeAnimationWithBothPlayers) {
    const char* base = std::getenv("REELBOX_BASE_PLAYER");
    const char* animation = std::getenv("REELBOX_FIGURE_GIF");
    const char* roundsText = std::getenv("REELBOX_FIGURE_ROUNDS");
    ASSERT_TRUE(base && animation) << "set REELBOX_BASE_PLAYER and REELBOX_FIGURE_GIF";
    int rounds = roundsText ? std::max(1, std::atoi(roundsText)) : 5;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(animation, &bytes)) << animation;
    Bytes gif(bytes.begin(), bytes.end());
    ASSERT_GT(gif.size(), 10u);
    int width = gif[6] | gif[7] << 8, height = gif[8] | gif[9] << 8;
    int x = (kScreenWidth - width) / 2, y = (kScreenHeight - height) / 2;
    ModelImage first = ModelFrames(gif, DesktopPiece(x, y, width, height))[0];

    const std::string players[2] = {base, Player()};
    const char* names[2] = {"base", "this tree"};
    std::vector<int64_t> times[2];
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            int which = (round + turn) % 2;  // the player that goes first alternates
            int64_t ms = FirstFrameMs(players[which], animation, first, x, y);
            ASSERT_GE(ms, 0) << names[which] << " never showed the first frame";
            times[which].push_back(ms);
            std::printf("[ start-up ] round %d, %-9s: %lld ms\n", round + 1, names[which],
                        (long long)ms);
        }
    }
    std::printf("[ start-up ] %s (%zu bytes, %d x %d): median of %d starts, base %lld ms, "
                "this tree %lld ms\n",
                animation, gif.size(), width, height, rounds, (long long)Median(times[0]),
                (long long)Median(times[1]));
}

}  // namespace
}  // namespace e2e
