// The third-party GIF suite through the player: every frame of every animation must reach
// the screen exactly as the suite's expected frame, laid over the desktop where that frame
// is transparent; the show then ends on Escape with exit code 0 and nothing left in the
// temporary folder. The copies played have every delay set to kSuiteDelay, long enough that
// each frame is read as soon as the screen changes to it and long before the next one.
#include <dirent.h>

#include <algorithm>
#include <cstdio>

#include "show_test_base.h"

namespace e2e {
namespace {

constexpr int kSuiteDelay = 40;   // hundredths of a second

std::string SuiteGifs() {
    return std::string(REELBOX_GIF_SUITE) + "/gifs";
}

// Without the suite one case stands in for it and is skipped, saying why, so that ctest
// counts and names what did not run.
const char kNoSuite[] = "suite_not_found";

std::vector<std::string> SuiteNames() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(SuiteGifs().c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".gif") == 0)
                names.push_back(name.substr(0, name.size() - 4));
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) names.push_back(kNoSuite);
    return names;
}

// A copy of the stream with the delay of every graphic control set to delay; empty when
// the stream cannot be walked block by block.
Bytes WithDelays(Bytes gif, int delay) {
    auto skipSubBlocks = [&](size_t p) {
        while (p < gif.size() && gif[p]) p += gif[p] + 1u;
        return p + 1;
    };
    if (gif.size() < 13) return {};
    size_t p = 13;
    if (gif[10] & 0x80) p += 3u * (2u << (gif[10] & 7));
    while (p < gif.size()) {
        if (gif[p] == 0x3B) return gif;
        if (gif[p] == 0x21 && p + 1 < gif.size()) {
            if (gif[p + 1] == 0xF9 && p + 5 < gif.size()) {
                gif[p + 4] = uint8_t(delay);
                gif[p + 5] = uint8_t(delay >> 8);
            }
            p = skipSubBlocks(p + 2);
        } else if (gif[p] == 0x2C && p + 10 < gif.size()) {
            uint8_t packed = gif[p + 9];
            p += 10;
            if (packed & 0x80) p += 3u * (2u << (packed & 7));
            p = skipSubBlocks(p + 1);
        } else {
            return {};
        }
    }
    return {};
}

// The suite's frame (transparent where nothing has been drawn) over the desktop; an empty
// picture with the reason when it cannot be read or has partly transparent pixels.
ModelImage ExpectedFrame(const std::string& png, const ModelImage& desktop, std::string* why) {
    std::string command = "/usr/bin/convert '" + png + "' -depth 8 rgba:- 2>/dev/null";
    std::string rgba;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) rgba.append(buffer, n);
        pclose(pipe);
    }
    if (rgba.size() != desktop.pixels.size() * 4) {
        *why = png + ": " + std::to_string(rgba.size()) + " bytes of RGBA from convert";
        return {};
    }
    ModelImage out = desktop;
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const uint8_t* px = reinterpret_cast<const uint8_t*>(rgba.data()) + 4 * i;
        if (px[3] == 255)
            out.pixels[i] = uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2];
        else if (px[3] != 0) {
            *why = png + ": partly transparent pixel";
            return {};
        }
    }
    return out;
}

class GifSuiteTest : public ShowTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(GifSuiteTest, EveryFrameReachesTheScreenAsExpected) {
    const std::string name = GetParam();
    if (name == kNoSuite)
        GTEST_SKIP() << "the shared GIF suite is not at " << SuiteGifs()
                     << " (../shared beside the checkout, or REELBOX_GIF_SUITE)";
    std::string original;
    ASSERT_TRUE(ReadFileBytes(SuiteGifs() + "/" + name + ".gif", &original));
    Bytes gif = WithDelays(Bytes(original.begin(), original.end()), kSuiteDelay);
    ASSERT_FALSE(gif.empty()) << name << " cannot be walked block by block";
    const int width = gif[6] | gif[7] << 8, height = gif[8] | gif[9] << 8;
    const int x = (kScreenWidth - width) / 2, y = (kScreenHeight - height) / 2;

    std::vector<ModelImage> expected;
    const ModelImage desktop = DesktopPiece(x, y, width, height);
    // A still image's one frame is NAME.png, an animation's frames NAME-0.png, NAME-1.png...
    for (int k = 0;; ++k) {
        std::string png = SuiteGifs() + "/frames/" + name + "-" + std::to_string(k) + ".png";
        if (k == 0 && !FileExists(png)) png = SuiteGifs() + "/frames/" + name + ".png";
        if (!FileExists(png)) break;
        std::string why;
        expected.push_back(ExpectedFrame(png, desktop, &why));
        ASSERT_FALSE(expected.back().pixels.empty()) << why;
    }
    ASSERT_FALSE(expected.empty()) << "no expected frames for " << name;

    ShowPackage package;
    package.animationPath = WriteAnimation(gif);
    WineProcess* show = StartShow(package);
    ASSERT_NE(show, nullptr);
    ASSERT_TRUE(WaitForWindowAt(x, y, width, height, 15000));
    ASSERT_TRUE(ScreenShows(x, y, expected[0], 10000)) << name << " frame 0";

    // Each later frame is read on the first change of the screen after the previous one.
    int unchanged = 0;
    for (size_t k = 1; k < expected.size(); ++k) {
        if (CountDifferences(expected[k], expected[k - 1]) == 0) {
            ++unchanged;   // nothing on the screen marks its coming; the previous read covers it
            continue;
        }
        ModelImage seen;
        ASSERT_TRUE(Within(10000, name + " frame " + std::to_string(k) + " replacing the last", [&] {
            seen = ScreenPiece(x, y, width, height);
            return CountDifferences(seen, expected[k - 1]) != 0;
        }));
        ASSERT_EQ(CountDifferences(seen, expected[k]), 0)
            << name << " frame " << k << ": " << DescribeFirstDifference(seen, expected[k]);
    }

    std::printf("[ suite ] %s: %zu frames match, %d of them the same picture as the one "
                "before\n", name.c_str(), expected.size(), unchanged);

    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(show, 10000));
    EXPECT_EQ(show->exitCode, 0);
    std::vector<TempFile> left = ListTempFolder();
    EXPECT_TRUE(left.empty()) << DescribeTempFiles(left);
}

INSTANTIATE_TEST_SUITE_P(Suite, GifSuiteTest, ::testing::ValuesIn(SuiteNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace e2e
