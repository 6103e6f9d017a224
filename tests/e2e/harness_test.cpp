// The harness proves itself on the probe program before any player test relies on it: the
// painted desktop, message boxes found by title, windows found by geometry and read back by
// pixel, clicks and keys, exit codes, killing, and the temporary folder's hidden attribute.
#include <sys/stat.h>

#include "desktop_pattern.h"
#include "e2e_harness.h"

namespace e2e {
namespace {

class HarnessTest : public E2eTest {};

// Counts the pixels of a screen rectangle that differ from the known desktop pattern.
int PatternMismatches(int x, int y, int width, int height) {
    std::vector<uint32_t> pixels = ReadScreen(x, y, width, height);
    if (pixels.size() != size_t(width) * height) return -1;
    int mismatches = 0;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            if (pixels[size_t(row) * width + column] != DesktopPatternPixel(x + column, y + row))
                ++mismatches;
    return mismatches;
}

TEST_F(HarnessTest, RootWindowShowsTheDesktopPattern) {
    EXPECT_EQ(PatternMismatches(0, 0, 1024, 768), 0);
    EXPECT_TRUE(ReadScreen(1000, 700, 100, 100).empty()) << "a rectangle off the screen";
}

TEST_F(HarnessTest, MessageBoxIsFoundByTitleAndReturnClosesIt) {
    WineProcess* probe = Start(Probe(), {"box", "Tip", "some text", "7"});
    ASSERT_TRUE(Within(10000, "one window titled Tip",
                       [] { return FindWindowsByTitle("Tip").size() == 1; }));
    unsigned long box = FindWindowsByTitle("Tip")[0].id;
    ASSERT_TRUE(Within(5000, "the Tip box to take the focus",
                       [box] { return FocusedWindow() == box; }));
    EXPECT_FALSE(PollExit(probe)) << "the box must keep the program waiting";
    ASSERT_TRUE(PressKey("Return"));
    ASSERT_TRUE(Ends(probe, 5000));
    EXPECT_EQ(probe->exitCode, 7);
    EXPECT_TRUE(FindWindowsByTitle("Tip").empty());
}

TEST_F(HarnessTest, WindowIsFoundByGeometryReadBackAndClicked) {
    WineProcess* probe = Start(Probe(), {"window", "200", "150", "120", "80", "12A0F3"});
    ASSERT_TRUE(Within(10000, "the 120x80 probe window at 200,150",
                       [] { return FindWindowsByRect(200, 150, 120, 80).size() == 1; }));
    ASSERT_TRUE(Within(2000, "the probe window painted", [] {
        std::vector<uint32_t> inside = ReadScreen(200, 150, 120, 80);
        for (uint32_t p : inside)
            if (p != 0x12A0F3) return false;
        return !inside.empty();
    }));
    // The desktop around the window is untouched.
    EXPECT_EQ(PatternMismatches(190, 140, 140, 10), 0);
    EXPECT_EQ(PatternMismatches(190, 230, 140, 10), 0);
    ClickAt(250, 190);
    ASSERT_TRUE(Ends(probe, 5000));
    EXPECT_EQ(probe->exitCode, 3);
    EXPECT_TRUE(FindWindowsByRect(200, 150, 120, 80).empty());
}

TEST_F(HarnessTest, EscapeReachesTheFocusedWindow) {
    WineProcess* probe = Start(Probe(), {"window", "600", "400", "50", "50", "FF0000"});
    ASSERT_TRUE(Within(10000, "the probe window",
                       [] { return FindWindowsByRect(600, 400, 50, 50).size() == 1; }));
    unsigned long window = FindWindowsByRect(600, 400, 50, 50)[0].id;
    ASSERT_TRUE(Within(5000, "the probe window to take the focus",
                       [window] { return FocusedWindow() == window; }));
    MovePointer(5, 5);   // keys must not depend on the pointer
    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(probe, 5000));
    EXPECT_EQ(probe->exitCode, 4);
}

TEST_F(HarnessTest, TimeoutsReportAndKillEndsOnlyTheStartedProcess) {
    WineProcess* waiting = Start(Probe(), {"class-window", "ProbeWait", "hide"});
    ::testing::AssertionResult timedOut = Ends(waiting, 300);
    EXPECT_FALSE(timedOut);
    EXPECT_NE(std::string(timedOut.message()).find("did not end within 300 ms"),
              std::string::npos)
        << timedOut.message();
    ::testing::AssertionResult neverTrue = Within(50, "nothing", [] { return false; });
    EXPECT_NE(std::string(neverTrue.message()).find("timed out after"), std::string::npos);

    WineProcess* other = Start(Probe(), {"box", "Other", "x", "5"});
    ASSERT_TRUE(Within(10000, "the Other box",
                       [] { return FindWindowsByTitle("Other").size() == 1; }));
    unsigned long box = FindWindowsByTitle("Other")[0].id;
    ASSERT_TRUE(Within(5000, "the Other box to take the focus",
                       [box] { return FocusedWindow() == box; }));
    KillProcess(waiting);
    EXPECT_TRUE(waiting->ended);
    EXPECT_EQ(waiting->termSignal, 9);
    EXPECT_FALSE(PollExit(other)) << "killing one process must leave the other running";
    ASSERT_TRUE(PressKey("Return"));
    ASSERT_TRUE(Ends(other, 5000));
    EXPECT_EQ(other->exitCode, 5);
}

TEST_F(HarnessTest, TemporaryFolderListsHiddenAttributeAndContents) {
    WineProcess* plain = Start(Probe(), {"temp-file", "shown.tmp", "plain text", "normal"});
    ASSERT_TRUE(Ends(plain, 10000));
    ASSERT_EQ(plain->exitCode, 0);
    WineProcess* hidden = Start(Probe(), {"temp-file", "secret.tmp", "hidden text", "hidden"});
    ASSERT_TRUE(Ends(hidden, 10000));
    ASSERT_EQ(hidden->exitCode, 0);

    std::vector<TempFile> files = ListTempFolder();
    ASSERT_EQ(files.size(), 2u) << DescribeTempFiles(files);
    EXPECT_EQ(files[0].name, "secret.tmp");
    EXPECT_TRUE(files[0].hidden) << DescribeTempFiles(files);
    EXPECT_EQ(files[0].contents, "hidden text");
    EXPECT_EQ(files[1].name, "shown.tmp");
    EXPECT_FALSE(files[1].hidden) << DescribeTempFiles(files);
    EXPECT_EQ(files[1].contents, "plain text");

    std::string error;
    ASSERT_TRUE(EmptyTempFolder(&error)) << error;
    EXPECT_TRUE(ListTempFolder().empty());
}

TEST_F(HarnessTest, ScreenshotIsWrittenAsPng) {
    std::string path = OutputPath("screen.png");
    std::remove(path.c_str());
    ASSERT_TRUE(SaveScreenshot(path));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, &bytes));
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace e2e
