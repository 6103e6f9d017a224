// Hostile animations through the player: logical screens from nothing to far beyond any
// display, frames off the screen or larger than it, thousands of tiny frames, no delays, cut
// and corrupt streams and missing colour tables. Whatever the file, the show must end with
// exit code 0 and leave the temporary folder empty, either on its own or on Escape once its
// window has the focus.
#include <cstdio>
#include <functional>
#include <ostream>

#include "show_test_base.h"

namespace e2e {
namespace {

int Stripes(int x, int y) {
    return (x + 3 * y) % 200 + 1;
}

Bytes OneFrame(int screenWidth, int screenHeight, int left, int top, int width, int height) {
    return MakeAnimation(screenWidth, screenHeight,
                         {MakeFrame(left, top, width, height, 1, 5, -1, Stripes)});
}

struct Hostile {
    const char* name;
    std::function<Bytes()> make;
};

const Hostile kHostile[] = {
    {"ScreenZeroWide", [] { return OneFrame(0, 64, 0, 0, 8, 8); }},
    {"ScreenZeroHigh", [] { return OneFrame(64, 0, 0, 0, 8, 8); }},
    {"ScreenOneByOne", [] { return OneFrame(1, 1, 0, 0, 8, 8); }},
    {"Screen4096Square", [] { return OneFrame(4096, 4096, 0, 0, 8, 8); }},
    {"Screen4097Wide", [] { return OneFrame(4097, 16, 0, 0, 8, 8); }},
    {"Screen4097High", [] { return OneFrame(16, 4097, 0, 0, 8, 8); }},
    {"Screen65535Wide", [] { return OneFrame(65535, 256, 0, 0, 8, 8); }},
    {"Screen65535High", [] { return OneFrame(256, 65535, 0, 0, 8, 8); }},
    {"Screen65535Square", [] { return OneFrame(65535, 65535, 0, 0, 8, 8); }},
    {"FrameOffTheScreen", [] { return OneFrame(64, 64, 60000, 60000, 16, 16); }},
    {"FrameLargerThanTheScreen", [] { return OneFrame(32, 32, 0, 0, 600, 500); }},
    {"ThousandsOfOnePixelFramesWithoutDelay",
     [] {
         std::vector<TestFrame> frames;
         for (int i = 0; i < 3000; ++i)
             frames.push_back(MakeFrame(i % 40, i / 40 % 40, 1, 1, i % 4, 0, -1, Stripes));
         return MakeAnimation(40, 40, frames);
     }},
    {"CutInsideTheImageData",
     [] {
         Bytes gif = MakeAnimation(64, 64, {MakeFrame(0, 0, 64, 64, 1, 0, -1, Stripes),
                                            MakeFrame(8, 8, 48, 48, 2, 0, 3, Stripes)});
         gif.resize(gif.size() * 3 / 5);
         return gif;
     }},
    {"InvalidCodes",
     [] {
         Bytes gif;
         PutHeader(&gif, 32, 32, true, 7);
         PutGraphicControl(&gif, 0, 0, -1);
         PutRawImage(&gif, 32, 32, false, {0x08, 0x06, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
         gif.push_back(0x3B);
         return gif;
     }},
    {"NoColourTableAnywhere",
     [] {
         Bytes gif;
         PutHeader(&gif, 32, 32, false);
         ImageSpec image;
         image.width = image.height = 32;
         image.pixels.assign(32 * 32, 5);
         PutGraphicControl(&gif, 1, 0, -1);
         PutImage(&gif, image);
         gif.push_back(0x3B);
         return gif;
     }},
};

void PrintTo(const Hostile& hostile, std::ostream* out) {
    *out << hostile.name;
}

class HostileGifTest : public ShowTest, public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileGifTest, EndsWithExitCodeZeroAndAnEmptyTemporaryFolder) {
    ShowPackage package;
    package.animationPath = WriteAnimation(GetParam().make());
    package.unchecked = true;
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);

    // Either the show ends by itself or a window of it takes the focus.
    ASSERT_TRUE(Within(20000, "the show's end or its window with the focus", [&] {
        if (PollExit(show)) return true;
        unsigned long focus = FocusedWindow();
        for (const TopWindow& window : ListTopWindows())
            if (window.id == focus) return true;
        return false;
    }));
    const bool endedAlone = show->ended;
    if (!endedAlone) {
        ASSERT_TRUE(PressKey("Escape"));
    }
    ASSERT_TRUE(Ends(show, 10000));
    std::printf("[ sweep ] %s ended %s, %lld ms after its start\n", GetParam().name,
                endedAlone ? "on its own" : "on Escape", (long long)(show->endedMs - show->startedMs));
    EXPECT_EQ(show->exitCode, 0) << ReadLog(*show);
    std::vector<TempFile> left = ListTempFolder();
    EXPECT_TRUE(left.empty()) << DescribeTempFiles(left);
}

INSTANTIATE_TEST_SUITE_P(Sweep, HostileGifTest, ::testing::ValuesIn(kHostile),
                         [](const ::testing::TestParamInfo<Hostile>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace e2e
