// A click on the About dialog's logo starts the browser that the App Paths entry of
// "iexplore.exe" names: here the recorder of the Windows tests, which writes the command line
// it received, as UTF-8, to the file named by REELBOX_RECORDER_LOG (inherited through Wine).
// The entry is put back as it was after each test.
#include <sys/stat.h>

#include <cstdlib>

#include "about_support.h"

namespace e2e {
namespace {

class AboutBrowser : public AboutShowTest {
protected:
    void SetUp() override {
        AboutShowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(ReadAppPaths(&savedValue_, &hadEntry_));
        saved_ = true;
        recorder_ = WindowsBuildPath("tests/win32/about/command_recorder.exe");
        ASSERT_TRUE(FileExists(recorder_)) << recorder_ << " (build the Windows tree's tests)";
        log_ = OutputPath("recorder.log");
        std::remove(log_.c_str());
        setenv("REELBOX_RECORDER_LOG", WindowsPath(log_).c_str(), 1);
    }

    void TearDown() override {
        AboutShowTest::TearDown();
        unsetenv("REELBOX_RECORDER_LOG");
        if (!saved_) return;
        if (hadEntry_)
            EXPECT_TRUE(WriteAppPaths(savedValue_));
        else
            DeleteAppPaths();
    }

    // Opens the dialog with a looping logo and answers where the logo is.
    WineProcess* OpenDialogWithLogo(Rect* logoBox) {
        const std::vector<int> indices = {10, 120, 230};
        std::vector<uint32_t> colours;
        for (int i : indices) colours.push_back(IndexColour(i));
        const std::string logo = MakeLogo(160, 40, indices, 10);
        WineProcess* show = StartShow(MakePackage({"--logo", logo, "--about", "--end", "0"}), 0);
        TopWindow dialog;
        EXPECT_TRUE(EndShowIntoDialog(&dialog));
        EXPECT_TRUE(FindLogo(dialog, 160, 40, colours, logoBox));
        return show;
    }

    // Registers the browser, clicks the logo and checks the line the browser was started with.
    void ExpectAClickStarts(const std::string& browser) {
        ASSERT_TRUE(WriteAppPaths(browser));
        Rect logo;
        WineProcess* show = OpenDialogWithLogo(&logo);
        ASSERT_FALSE(HasFailure());

        ClickAt(logo.x + logo.width / 2, logo.y + logo.height / 2);
        std::string line;
        ASSERT_TRUE(Within(10000, "the recorder's log", [&] { return ReadFileBytes(log_, &line); }));
        // The address the Windows tree built the player with.
        std::string address;
        ASSERT_TRUE(ReadFileBytes(WindowsBuildPath("tests/e2e/fixtures/web_address.txt"), &address));
        EXPECT_EQ("\"" + browser + "\"\"" + address + "\"", line);

        // The dialog stays open until OK.
        EXPECT_EQ(1u, FindWindowsByTitle("Reelbox").size());
        ASSERT_TRUE(PressKey("Return"));
        ExpectCleanExit(show);
    }

    std::string recorder_;
    std::string log_;

private:
    bool saved_ = false;
    bool hadEntry_ = false;
    std::string savedValue_;
};

TEST_F(AboutBrowser, AClickOnTheLogoStartsTheBrowserOnTheAddress) {
    ExpectAClickStarts(WindowsPath(recorder_));
}

// A folder name that the ANSI code page cannot hold: the browser is still found and started.
TEST_F(AboutBrowser, ABrowserInAFolderNamedInCyrillicWithAnEmojiIsStarted) {
    const std::string folder = OutputPath("Обозреватель 🦊");
    mkdir(folder.c_str(), 0755);
    std::string program;
    ASSERT_TRUE(ReadFileBytes(recorder_, &program));
    const std::string copy = folder + "/command_recorder.exe";
    ASSERT_TRUE(WriteFileBytes(copy, program)) << copy;
    ExpectAClickStarts(WindowsPath(copy));
}

TEST_F(AboutBrowser, WithoutAnAppPathsEntryAClickStartsAndShowsNothing) {
    ASSERT_TRUE(DeleteAppPaths());
    Rect logo;
    WineProcess* show = OpenDialogWithLogo(&logo);
    ASSERT_FALSE(HasFailure());
    const std::vector<TopWindow> before = ListTopWindows();

    ClickAt(logo.x + logo.width / 2, logo.y + logo.height / 2);
    QuietPeriod(2000, "a started browser would write its log or open a window");
    EXPECT_FALSE(FileExists(log_));
    const std::vector<TopWindow> after = ListTopWindows();
    EXPECT_EQ(before.size(), after.size()) << "before:" << DescribeWindows(before)
                                           << "\nafter:" << DescribeWindows(after);
    EXPECT_EQ(1u, FindWindowsByTitle("Reelbox").size());

    ASSERT_TRUE(PressKey("Return"));
    ExpectCleanExit(show);
}

}  // namespace
}  // namespace e2e
