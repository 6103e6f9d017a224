// OpenWebAddress and FindBrowser against Wine's registry: the App Paths value of
// "iexplore.exe" is pointed at command_recorder.exe (built next to this program), which
// writes the command line it was started with to a file. The test program's own import
// table is redirected so the registry reads and launches can be counted as well.
// Every test restores the App Paths entry as it found it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "about/browser.h"
#include "import_patch.h"

namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";

using RegQueryValueAFunction = LONG(WINAPI*)(HKEY, LPCSTR, LPSTR, PLONG);
using WinExecFunction = UINT(WINAPI*)(LPCSTR, UINT);
RegQueryValueAFunction RealRegQueryValueA;
WinExecFunction RealWinExec;
int RegistryReads;
int Launches;
std::string LastLaunchLine;
bool LaunchForReal = true;   // false: record the line but start nothing

LONG WINAPI CountingRegQueryValueA(HKEY key, LPCSTR subKey, LPSTR value, PLONG size) {
    ++RegistryReads;
    return RealRegQueryValueA(key, subKey, value, size);
}

UINT WINAPI CountingWinExec(LPCSTR commandLine, UINT show) {
    ++Launches;
    LastLaunchLine = commandLine;
    return LaunchForReal ? RealWinExec(commandLine, show) : 33;
}

std::string ProgramFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool ReadWholeFile(const std::string& path, std::string* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[1024];
    DWORD got = 0;
    text->clear();
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text->append(buffer, got);
    CloseHandle(file);
    return true;
}

// Processes started from this one so far, by any path: the program runs in a job of its
// own, which its children join as they start.
DWORD ProcessesStarted() {
    static HANDLE job = [] {
        HANDLE made = CreateJobObjectA(nullptr, nullptr);
        if (made && !AssignProcessToJobObject(made, GetCurrentProcess())) {
            CloseHandle(made);
            made = nullptr;
        }
        return made;
    }();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    if (!job || !QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info,
                                           sizeof info, nullptr))
        return 0;
    return info.TotalProcesses;
}

class BrowserLaunch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RealRegQueryValueA = reinterpret_cast<RegQueryValueAFunction>(PatchImport(
            "advapi32.dll", "RegQueryValueA", reinterpret_cast<void*>(&CountingRegQueryValueA)));
        RealWinExec = reinterpret_cast<WinExecFunction>(PatchImport(
            "kernel32.dll", "WinExec", reinterpret_cast<void*>(&CountingWinExec)));
    }

    void SetUp() override {
        ASSERT_NE(nullptr, RealRegQueryValueA) << "RegQueryValueA is not imported";
        ASSERT_NE(nullptr, RealWinExec) << "WinExec is not imported";
        SaveEntry();
        recorder_ = ProgramFolder() + "command_recorder.exe";
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(recorder_.c_str())) << recorder_;
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        log_ = std::string(temp) + "reelbox-recorder-" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA("REELBOX_RECORDER_LOG", log_.c_str());
        RegistryReads = 0;
        Launches = 0;
        LastLaunchLine.clear();
        LaunchForReal = true;
    }

    void TearDown() override {
        RestoreEntry();
        SetEnvironmentVariableA("REELBOX_RECORDER_LOG", nullptr);
        DeleteFileA(log_.c_str());
    }

    void PointAppPathsAt(const std::string& value) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_LOCAL_MACHINE, kKey, REG_SZ, value.c_str(),
                                              DWORD(value.size())));
    }

    void RemoveAppPaths() {
        LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
    }

    // The recorder's line, once it has written it (it is started asynchronously).
    bool RecordedLine(std::string* line, DWORD timeoutMs = 10000) {
        const DWORD start = GetTickCount();
        do {
            if (ReadWholeFile(log_, line))
                return true;
            Sleep(20);
        } while (GetTickCount() - start < timeoutMs);
        return false;
    }

    std::string recorder_;
    std::string log_;

private:
    void SaveEntry() {
        HKEY key = nullptr;
        hadEntry_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        savedValue_.clear();
        if (!hadEntry_)
            return;
        char value[1024] = "";
        DWORD size = sizeof value - 1;
        if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
            savedValue_ = value;
        RegCloseKey(key);
    }

    void RestoreEntry() {
        if (hadEntry_)
            RegSetValueA(HKEY_LOCAL_MACHINE, kKey, REG_SZ, savedValue_.c_str(), DWORD(savedValue_.size()));
        else
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    }

    bool hadEntry_ = false;
    std::string savedValue_;
};

TEST_F(BrowserLaunch, StartsTheRegisteredProgramOnTheAddressWithTheExpectedLine) {
    // The file name in another letter case: the value must be used exactly as stored.
    std::string stored = recorder_;
    stored.replace(stored.size() - 20, 20, "COMMAND_RECORDER.EXE");
    PointAppPathsAt(stored);

    char* found = FindBrowser();
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(stored, found);
    std::free(found);

    const char address[] = "https://reelbox.example.org/shows?from=about&x=1";
    const DWORD processesBefore = ProcessesStarted();
    ASSERT_NE(0u, processesBefore) << "this program is not in a job of its own";
    OpenWebAddress(address);
    EXPECT_EQ(processesBefore + 1, ProcessesStarted());
    const std::string expected = "\"" + stored + "\"\"" + address + "\"";
    EXPECT_EQ(1, Launches);
    EXPECT_EQ(expected, LastLaunchLine);
    std::string recorded;
    ASSERT_TRUE(RecordedLine(&recorded)) << "the recorder did not start: " << expected;
    EXPECT_EQ(expected, recorded);
}

TEST_F(BrowserLaunch, WithoutAnAppPathsEntryNothingStarts) {
    RemoveAppPaths();
    EXPECT_EQ(nullptr, FindBrowser());
    RegistryReads = 0;
    const DWORD processesBefore = ProcessesStarted();
    ASSERT_NE(0u, processesBefore) << "this program is not in a job of its own";
    OpenWebAddress("https://reelbox.example.org/");
    EXPECT_EQ(1, RegistryReads);   // it did look
    EXPECT_EQ(0, Launches);
    EXPECT_EQ(processesBefore, ProcessesStarted()) << "a process was started by another path";
}

TEST_F(BrowserLaunch, AnEmptyOrMissingAddressReadsNoKeyAndStartsNothing) {
    PointAppPathsAt(recorder_);
    OpenWebAddress("");
    OpenWebAddress(nullptr);
    EXPECT_EQ(0, RegistryReads);
    EXPECT_EQ(0, Launches);

    // The same registration with an address is read and started: the counters see it.
    OpenWebAddress("a");
    EXPECT_EQ(1, RegistryReads);
    EXPECT_EQ(1, Launches);
    std::string recorded;
    ASSERT_TRUE(RecordedLine(&recorded));
    EXPECT_EQ("\"" + recorder_ + "\"\"a\"", recorded);
}

TEST_F(BrowserLaunch, ALineOfMoreThan259CharactersStartsNothing) {
    PointAppPathsAt(recorder_);
    const std::string stem = "https://reelbox.example.org/";
    // Two quotes round each part: 4 + path + address characters.
    const size_t fitting = 259 - 4 - recorder_.size();
    ASSERT_GT(fitting, stem.size()) << "the build folder's path is too long for this test";

    OpenWebAddress((stem + std::string(fitting - stem.size() + 1, 'x')).c_str());
    EXPECT_EQ(0, Launches) << LastLaunchLine;

    const std::string longest = stem + std::string(fitting - stem.size(), 'x');
    OpenWebAddress(longest.c_str());
    EXPECT_EQ(1, Launches);
    const std::string expected = "\"" + recorder_ + "\"\"" + longest + "\"";
    EXPECT_EQ(259u, expected.size());
    std::string recorded;
    ASSERT_TRUE(RecordedLine(&recorded));
    EXPECT_EQ(expected, recorded);
}

TEST_F(BrowserLaunch, AStoredValueWithQuotesKeepsThem) {
    const std::string stored = "\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\"";
    PointAppPathsAt(stored);
    LaunchForReal = false;   // Wine's own iexplore.exe sits at that path
    OpenWebAddress("https://reelbox.example.org/");
    EXPECT_EQ(1, Launches);
    EXPECT_EQ("\"" + stored + "\"\"https://reelbox.example.org/\"", LastLaunchLine);
}

}  // namespace
