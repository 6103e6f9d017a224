// How long frames last through the real player: 100 frames of a 40 x 40 animation at
// delays of 2, 4 and 10 hundredths, one screen pixel read about every millisecond. Prints
// the measured total against the sum of the delays and how many frame changes were seen.
// A benchmark (label bench): it reports figures and fails only when the show cannot be
// measured at all.
#include <cstdio>
#include <vector>

#include "show_test_base.h"

namespace e2e {
namespace {

constexpr int kSide = 40, kFrames = 100;
constexpr int kX = (kScreenWidth - kSide) / 2, kY = (kScreenHeight - kSide) / 2;

class FrameTimingBench : public ShowTest, public ::testing::WithParamInterface<int> {};

// Three colours in turn, so that a skipped frame shows as a wrong successor.
Bytes CyclingAnimation(int delay) {
    int (*const colours[3])(int, int) = {[](int, int) { return 30; }, [](int, int) { return 60; },
                                         [](int, int) { return 90; }};
    std::vector<TestFrame> frames;
    for (int k = 0; k < kFrames; ++k)
        frames.push_back(MakeFrame(0, 0, kSide, kSide, 1, delay, -1, colours[k % 3]));
    return MakeAnimation(kSide, kSide, frames);
}

TEST_P(FrameTimingBench, HundredFrames) {
    const int delay = GetParam();
    ShowPackage package;
    package.animationPath = WriteAnimation(CyclingAnimation(delay));
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);
    const uint32_t colour[3] = {GlobalColour(30), GlobalColour(60), GlobalColour(90)};
    auto frameShown = [&] {
        std::vector<uint32_t> p = ReadScreen(kX + kSide / 2, kY + kSide / 2, 1, 1);
        for (int c = 0; c < 3; ++c)
            if (p.size() == 1 && p[0] == colour[c]) return c;
        return -1;
    };
    ASSERT_TRUE(Within(15000, "the first frame at the centre", [&] {
        return !FindWindowsByRect(kX, kY, kSide, kSide).empty() && frameShown() == 0;
    }));

    // Each change is timed when first seen; the last frame stays, so the watch ends once it
    // has been seen or nothing changed for two seconds.
    int64_t firstMs = NowMs(), lastChangeMs = firstMs;
    int current = 0, changes = 0, wrongSuccessors = 0;
    while (changes + wrongSuccessors < kFrames - 1 && NowMs() - lastChangeMs < 2000) {
        int seen = frameShown();
        if (seen >= 0 && seen != current) {
            if (seen != (current + 1) % 3) ++wrongSuccessors;
            ++changes;
            current = seen;
            lastChangeMs = NowMs();
        }
        SleepMs(1);
    }
    const int64_t expectedMs = int64_t(kFrames - 1) * delay * 10;
    const int64_t measuredMs = lastChangeMs - firstMs;
    std::printf("[ frames ] delay %d: %d frames, expected %lld ms, measured %lld ms (%+.1f %%); "
                "%d changes seen, %d with a frame skipped\n",
                delay, kFrames, (long long)expectedMs, (long long)measuredMs,
                100.0 * double(measuredMs - expectedMs) / double(expectedMs), changes,
                wrongSuccessors);
    PressKey("Escape");
    ASSERT_TRUE(Ends(show, 10000));
}

INSTANTIATE_TEST_SUITE_P(Delays, FrameTimingBench, ::testing::Values(2, 4, 10),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Delay" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace e2e
