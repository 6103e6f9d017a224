// The App Paths key name and the browser command line.
#include "about/browser_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(BrowserCommand, PathAndAddressEachQuotedWithNothingBetween) {
    char line[kBrowserBufferSize];
    ASSERT_TRUE(ComposeBrowserCommand("C:\\PROGRA~1\\INTERN~1\\IEXPLORE.EXE",
                                      "https://reelbox.example.org/", line));
    EXPECT_STREQ("\"C:\\PROGRA~1\\INTERN~1\\IEXPLORE.EXE\"\"https://reelbox.example.org/\"", line);
}

TEST(BrowserCommand, StoredQuotesAreKept) {
    char line[kBrowserBufferSize];
    ASSERT_TRUE(ComposeBrowserCommand("\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\"",
                                      "http://a.example/", line));
    EXPECT_STREQ("\"\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\"\"\"http://a.example/\"",
                 line);
}

TEST(BrowserCommand, RefusesALineThatDoesNotFit) {
    // Two pairs of quotes: 4 + path + address characters.
    const std::string path = "C:\\" + std::string(197, 'p');   // 200 characters
    const std::string fits(55, 'a');
    char line[kBrowserBufferSize];

    ASSERT_TRUE(ComposeBrowserCommand(path.c_str(), fits.c_str(), line));
    EXPECT_EQ(259u, std::strlen(line));
    EXPECT_EQ('"', line[258]);

    const std::string tooLong(56, 'a');
    EXPECT_FALSE(ComposeBrowserCommand(path.c_str(), tooLong.c_str(), line));
    EXPECT_STREQ("", line);
    EXPECT_FALSE(ComposeBrowserCommand(std::string(400, 'p').c_str(), "x", line));
    EXPECT_STREQ("", line);
    EXPECT_FALSE(ComposeBrowserCommand(nullptr, "x", line));
}

TEST(AppPathsKey, NamesTheBrowsersEntry) {
    char key[kBrowserBufferSize];
    ASSERT_TRUE(ComposeAppPathsKey(kBrowserExecutable, key));
    EXPECT_STREQ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe", key);
    EXPECT_FALSE(ComposeAppPathsKey(std::string(300, 'x').c_str(), key));
    EXPECT_STREQ("", key);
}

}  // namespace
