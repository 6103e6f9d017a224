// A show whose own folder and whose temporary folder are named outside the ANSI code page
// (Cyrillic letters and an emoji): it finds its package, plays its animation and opens its
// message from copies in that temporary folder, and leaves nothing behind.
#include <sys/stat.h>

#include <algorithm>

#include "show_test_base.h"

namespace e2e {
namespace {

constexpr int kWidth = 120, kHeight = 80;
constexpr int kLeft = (kScreenWidth - kWidth) / 2, kTop = (kScreenHeight - kHeight) / 2;
constexpr int kMessageLeft = (kScreenWidth - kMessageSide) / 2;
constexpr int kMessageTop = (kScreenHeight - kMessageSide) / 2;

// An empty folder of that name in the test's output folder.
std::string FreshFolder(const std::string& path) {
    for (const std::string& name : FolderEntryNames(path)) std::remove((path + "/" + name).c_str());
    mkdir(path.c_str(), 0755);
    return path;
}

class ShowUnicodePathTest : public ShowTest {};

TEST_F(ShowUnicodePathTest, ShowInAFolderNamedInCyrillicWithAnEmojiPlaysAndLeavesNothing) {
    Bytes gif = MakeAnimation(
        kWidth, kHeight,
        {MakeFrame(0, 0, kWidth, kHeight, 1, 400, 0,
                   [](int x, int y) { return (x + y) % 7 == 0 ? 0 : 140 + x % 5; })});
    ShowPackage package;
    package.animationPath = WriteAnimation(gif);
    package.messagePath = WriteMessage();
    std::string showFolder = FreshFolder(OutputPath("Показ Ивана 🎉"));
    std::string tempFolder = FreshFolder(OutputPath("Временные 🎈"));
    std::string show = showFolder + "/show.exe";
    std::string error;
    ASSERT_TRUE(PackShow(Player(), package, show, &error)) << error;

    WineProcess* runner = Start(Probe(), {"with-temp", WindowsPath(tempFolder), WindowsPath(show)});
    ASSERT_TRUE(ScreenShows(kLeft, kTop, ModelFrames(gif, DesktopPiece(kLeft, kTop, kWidth, kHeight))[0],
                            15000));
    EXPECT_EQ(FolderEntryNames(tempFolder), (std::vector<std::string>{"Tempani0.gif", "Tempmsg0.emf"}));
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());

    ClickAt(kLeft + kWidth / 2, kTop + kHeight / 2);
    ASSERT_TRUE(Within(5000, "the message drawn from its copy", [] {
        ModelImage square = ScreenPiece(kMessageLeft, kMessageTop, kMessageSide, kMessageSide);
        return std::count(square.pixels.begin(), square.pixels.end(), kCardColour) > 1000;
    }));
    ClickAt(kMessageLeft + kMessageSide / 2, kMessageTop + kMessageSide / 2);
    ASSERT_TRUE(Ends(runner, 10000));
    EXPECT_EQ(runner->exitCode, 0);
    EXPECT_TRUE(FolderEntryNames(tempFolder).empty());
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

}  // namespace
}  // namespace e2e
