// OpenWebAddress and FindBrowser against Wine's registry: the App Paths value of
// "iexplore.exe" is pointed at command_recorder.exe (built next to this program), which
// writes the command line it was started with to a file as UTF-8. The test program's own
// import table is redirected so the registry reads and launches can be counted as well.
// Every test restores the App Paths entry as it found it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "about/browser.h"
#include "import_patch.h"

namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";

using RegQueryValueWFunction = LONG(WINAPI*)(HKEY, LPCWSTR, LPWSTR, PLONG);
using CreateProcessWFunction = BOOL(WINAPI*)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES,
                                             LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR,
                                             LPSTARTUPINFOW, LPPROCESS_INFORMATION);
RegQueryValueWFunction RealRegQueryValueW;
CreateProcessWFunction RealCreateProcessW;
int RegistryReads;
int Launches;
std::string LastLaunchLine;         // as UTF-8
PROCESS_INFORMATION LastLaunched;   // the handles the launch answered
bool LaunchForReal = true;          // false: record the line but start nothing

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

std::wstring Wide(const std::string& utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring text(size_t(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &text[0], size);
    text.pop_back();
    return text;
}

LONG WINAPI CountingRegQueryValueW(HKEY key, LPCWSTR subKey, LPWSTR value, PLONG size) {
    ++RegistryReads;
    return RealRegQueryValueW(key, subKey, value, size);
}

BOOL WINAPI CountingCreateProcessW(LPCWSTR application, LPWSTR commandLine,
                                   LPSECURITY_ATTRIBUTES processAttributes,
                                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit,
                                   DWORD flags, LPVOID environment, LPCWSTR directory,
                                   LPSTARTUPINFOW startup, LPPROCESS_INFORMATION started) {
    ++Launches;
    LastLaunchLine = Utf8(commandLine);
    if (!LaunchForReal) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const BOOL result = RealCreateProcessW(application, commandLine, processAttributes,
                                           threadAttributes, inherit, flags, environment,
                                           directory, startup, started);
    if (result)
        LastLaunched = *started;
    return result;
}

bool HandleIsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
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
        RealRegQueryValueW = reinterpret_cast<RegQueryValueWFunction>(PatchImport(
            "advapi32.dll", "RegQueryValueW", reinterpret_cast<void*>(&CountingRegQueryValueW)));
        RealCreateProcessW = reinterpret_cast<CreateProcessWFunction>(PatchImport(
            "kernel32.dll", "CreateProcessW", reinterpret_cast<void*>(&CountingCreateProcessW)));
    }

    void SetUp() override {
        ASSERT_NE(nullptr, RealRegQueryValueW) << "RegQueryValueW is not imported";
        ASSERT_NE(nullptr, RealCreateProcessW) << "CreateProcessW is not imported";
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
        LastLaunched = {};
        LaunchForReal = true;
    }

    void TearDown() override {
        RestoreEntry();
        SetEnvironmentVariableA("REELBOX_RECORDER_LOG", nullptr);
        DeleteFileA(log_.c_str());
    }

    void PointAppPathsAt(const std::string& value) {
        const std::wstring wide = Wide(value);
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueW(HKEY_LOCAL_MACHINE, Wide(kKey).c_str(), REG_SZ,
                                              wide.c_str(), DWORD(wide.size())));
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

    wchar_t* found = FindBrowser();
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(stored, Utf8(found));
    std::free(found);

    const char address[] = "https://reelbox.example.org/shows?from=about&x=1";
    const DWORD processesBefore = ProcessesStarted();
    ASSERT_NE(0u, processesBefore) << "this program is not in a job of its own";
    OpenWebAddress(Wide(address).c_str());
    EXPECT_EQ(processesBefore + 1, ProcessesStarted());
    const std::string expected = "\"" + stored + "\"\"" + address + "\"";
    EXPECT_EQ(1, Launches);
    EXPECT_EQ(expected, LastLaunchLine);
    // The started process's handles are not kept.
    ASSERT_NE(nullptr, LastLaunched.hProcess);
    EXPECT_FALSE(HandleIsOpen(LastLaunched.hProcess));
    EXPECT_FALSE(HandleIsOpen(LastLaunched.hThread));
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
    OpenWebAddress(L"https://reelbox.example.org/");
    EXPECT_EQ(1, RegistryReads);   // it did look
    EXPECT_EQ(0, Launches);
    EXPECT_EQ(processesBefore, ProcessesStarted()) << "a process was started by another path";
}

TEST_F(BrowserLaunch, AnEmptyOrMissingAddressReadsNoKeyAndStartsNothing) {
    PointAppPathsAt(recorder_);
    OpenWebAddress(L"");
    OpenWebAddress(nullptr);
    EXPECT_EQ(0, RegistryReads);
    EXPECT_EQ(0, Launches);

    // The same registration with an address is read and started: the counters see it.
    OpenWebAddress(L"a");
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

    OpenWebAddress(Wide(stem + std::string(fitting - stem.size() + 1, 'x')).c_str());
    EXPECT_EQ(0, Launches) << LastLaunchLine;

    const std::string longest = stem + std::string(fitting - stem.size(), 'x');
    OpenWebAddress(Wide(longest).c_str());
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
    OpenWebAddress(L"https://reelbox.example.org/");
    EXPECT_EQ(1, Launches);
    EXPECT_EQ("\"" + stored + "\"\"https://reelbox.example.org/\"", LastLaunchLine);
}

}  // namespace
