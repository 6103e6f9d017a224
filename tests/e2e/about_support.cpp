// Shared pieces of the About dialog's end-to-end tests (see about_support.h).
#include "about_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "gif_writer.h"
#include "package/package_layout.h"


namespace e2e {

namespace {

const char kAppPathsKey[] =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";


bool WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

std::string SolidFramesGif(int width, int height, const std::vector<int>& indices, int delay) {
    Bytes gif;
    PutHeader(&gif, width, height, true, 7);
    for (int index : indices) {
        PutGraphicControl(&gif, 1, delay, -1);
        ImageSpec image;
        image.width = width;
        image.height = height;
        image.pixels.assign(size_t(width) * height, index);
        PutImage(&gif, image);
    }
    gif.push_back(0x3B);
    return std::string(gif.begin(), gif.end());
}

uint32_t IndexColour(int index) {
    return uint32_t(index) << 16 | uint32_t(255 - index) << 8 | uint32_t(index / 2);
}

Rect FindColours(const Rect& area, const std::vector<uint32_t>& colours) {
    std::vector<uint32_t> pixels = ReadScreen(area.x, area.y, area.width, area.height);
    int left = area.width, top = area.height, right = -1, bottom = -1;
    for (int y = 0; y < area.height && !pixels.empty(); ++y)
        for (int x = 0; x < area.width; ++x)
            for (uint32_t c : colours)
                if (pixels[size_t(y) * area.width + x] == c) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
    if (right < 0) return Rect();
    return {area.x + left, area.y + top, right - left + 1, bottom - top + 1};
}

bool ReadAppPaths(std::string* value, bool* present) {
    std::string output;
    int status = RunProgram({"wine", "reg", "query", kAppPathsKey, "/ve"}, &output);
    *present = false;
    value->clear();
    if (status != 0) return true;   // no such key
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t type = line.find("REG_SZ");
        if (type == std::string::npos) continue;
        size_t start = line.find_first_not_of(" \t", type + 6);
        std::string v = start == std::string::npos ? "" : line.substr(start);
        while (!v.empty() && (v.back() == '\r' || v.back() == '\n')) v.pop_back();
        *value = v;
        *present = true;
        return true;
    }
    return false;
}

bool WriteAppPaths(const std::string& value) {
    return RunProgram({"wine", "reg", "add", kAppPathsKey, "/ve", "/t", "REG_SZ", "/d", value, "/f"}) == 0;
}

bool DeleteAppPaths() {
    return RunProgram({"wine", "reg", "delete", kAppPathsKey, "/f"}) == 0;
}

std::string AboutShowTest::MakeLogo(int width, int height, const std::vector<int>& indices,
                                    int delay) {
    const std::string path = OutputPath("logo-" + std::to_string(width) + "x" +
                                        std::to_string(height) + ".gif");
    const std::string gif = SolidFramesGif(width, height, indices, delay);
    EXPECT_TRUE(WriteBytes(path, Bytes(gif.begin(), gif.end()))) << path;
    return path;
}

std::string AboutShowTest::MakePackage(const std::vector<std::string>& options) {
    static int made = 0;
    const std::string animation = OutputPath("animation.gif");
    // Thirty frames of half a second: the animation is still playing when Escape comes.
    std::vector<int> indices;
    for (int i = 0; i < 30; ++i) indices.push_back(60 + i);
    const std::string gif = SolidFramesGif(kAnimationWidth, kAnimationHeight, indices, 50);
    EXPECT_TRUE(WriteBytes(animation, Bytes(gif.begin(), gif.end())));
    const std::string package = OutputPath("show" + std::to_string(++made) + ".exe");
    std::remove(package.c_str());
    std::vector<std::string> args = {"--animation", animation, "-o", package};
    args.insert(args.end(), options.begin(), options.end());
    EXPECT_TRUE(Tackon(args));
    return package;
}

void AboutShowTest::SetAboutFlag(const std::string& package, int32_t flag) {
    std::fstream file(package, std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(file) << package;
    file.seekp(0, std::ios::end);
    const std::streamoff size = file.tellp();
    file.seekp(size - kTrailerSize + kOffsetShowAbout);
    const char bytes[4] = {char(flag & 0xFF), char(flag >> 8 & 0xFF), char(flag >> 16 & 0xFF),
                           char(flag >> 24 & 0xFF)};
    file.write(bytes, 4);
    ASSERT_TRUE(file) << "cannot rewrite the trailer of " << package;
}

WineProcess* AboutShowTest::StartShow(const std::string& package, int endCell) {
    WineProcess* show = Start(package);
    int x = 0, y = 0;
    const int freeX = 1024 - kAnimationWidth, freeY = 768 - kAnimationHeight;
    switch (endCell) {
    case 0: x = freeX / 2; y = freeY / 2; break;
    case 1: break;
    case 8: x = freeX; y = freeY; break;
    default: ADD_FAILURE() << "StartShow knows cells 0, 1 and 8 only"; return show;
    }
    EXPECT_TRUE(Within(20000, "the animation at its end cell", [&] {
        return FindWindowsByRect(x, y, kAnimationWidth, kAnimationHeight).size() == 1;
    }));
    EXPECT_TRUE(Within(5000, "the animation to take the focus", [&] {
        std::vector<TopWindow> w = FindWindowsByRect(x, y, kAnimationWidth, kAnimationHeight);
        return !w.empty() && FocusedWindow() == w[0].id;
    }));
    return show;
}

bool AboutShowTest::EndShowIntoDialog(TopWindow* dialog) {
    if (!PressKey("Escape")) return false;
    const bool shown = WaitUntil([] { return FindWindowsByTitle("Reelbox").size() == 1; }, 10000);
    if (shown) *dialog = FindWindowsByTitle("Reelbox")[0];
    return shown;
}

bool AboutShowTest::FindLogo(const TopWindow& dialog, int width, int height,
                             const std::vector<uint32_t>& colours, Rect* logo) {
    const Rect area = {dialog.x, dialog.y, dialog.width, dialog.height};
    return WaitUntil([&] {
        *logo = FindColours(area, colours);
        return logo->width == width && logo->height == height;
    }, 5000, 20);
}

void AboutShowTest::ExpectCleanExit(WineProcess* show) {
    ASSERT_TRUE(Ends(show, 10000));
    EXPECT_EQ(0, show->exitCode);
    EXPECT_TRUE(FindWindowsByTitle("Reelbox").empty());
    std::vector<TempFile> left = ListTempFolder();
    EXPECT_TRUE(left.empty()) << DescribeTempFiles(left);
}

}  // namespace e2e
