// The App Paths key name and the browser command line.
#include "about/browser_command.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

TEST(BrowserCommand, PathAndAddressEachQuotedWithNothingBetween) {
    wchar_t line[kBrowserBufferSize];
    ASSERT_TRUE(ComposeBrowserCommand(L"C:\\PROGRA~1\\INTERN~1\\IEXPLORE.EXE",
                                      L"https://reelbox.example.org/", line));
    EXPECT_STREQ(L"\"C:\\PROGRA~1\\INTERN~1\\IEXPLORE.EXE\"\"https://reelbox.example.org/\"", line);

    // Stored quotes and letters outside any ANSI code page are kept as they are.
    ASSERT_TRUE(ComposeBrowserCommand(L"\"C:\\Обозреватель \U0001F98A\\IEXPLORE.EXE\"",
                                      L"http://a.example/", line));
    EXPECT_STREQ(L"\"\"C:\\Обозреватель \U0001F98A\\IEXPLORE.EXE\"\"\"http://a.example/\"", line);
}

TEST(BrowserCommand, RefusesALineThatDoesNotFit) {
    // Two pairs of quotes: 4 + path + address characters.
    const std::wstring path = L"C:\\" + std::wstring(197, L'p');   // 200 characters
    const std::wstring fits(55, L'a');
    wchar_t line[kBrowserBufferSize];

    ASSERT_TRUE(ComposeBrowserCommand(path.c_str(), fits.c_str(), line));
    EXPECT_EQ(259u, std::wcslen(line));
    EXPECT_EQ(L'"', line[258]);

    const std::wstring tooLong(56, L'a');
    EXPECT_FALSE(ComposeBrowserCommand(path.c_str(), tooLong.c_str(), line));
    EXPECT_STREQ(L"", line);
    EXPECT_FALSE(ComposeBrowserCommand(std::wstring(400, L'p').c_str(), L"x", line));
    EXPECT_STREQ(L"", line);
    ASSERT_TRUE(ComposeBrowserCommand(L"p", L"x", line));
    EXPECT_FALSE(ComposeBrowserCommand(nullptr, L"x", line));
    EXPECT_STREQ(L"", line);
    EXPECT_FALSE(ComposeBrowserCommand(L"p", nullptr, line));
}

TEST(AppPathsKey, NamesTheBrowsersEntry) {
    wchar_t key[kBrowserBufferSize];
    ASSERT_TRUE(ComposeAppPathsKey(kBrowserExecutable, key));
    EXPECT_STREQ(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe", key);
    EXPECT_FALSE(ComposeAppPathsKey(std::wstring(300, L'x').c_str(), key));
    EXPECT_STREQ(L"", key);
}

}  // namespace
