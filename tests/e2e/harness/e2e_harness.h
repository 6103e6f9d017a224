// The end-to-end harness: drives Windows programs under Wine on the private X display that
// scripts/test-env.sh prepares, and looks at what they put on the screen and in the
// temporary folder.
//
// Environment (exported by test-env.sh's env.sh): DISPLAY, WINEPREFIX and REELBOX_WINE_TEMP
// (the prefix's Temp folder as a Unix path). Processes are started with `wine`, their output
// goes to a log file, and only those processes are ever killed.
//
// Most tests derive from E2eTest, which checks the environment, empties the temporary
// folder, and on a failure saves a screenshot named after the test before killing what the
// test started.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace e2e {

// ---- Environment --------------------------------------------------------------------

struct Environment {
    std::string display;      // DISPLAY
    std::string winePrefix;   // WINEPREFIX
    std::string wineTemp;     // REELBOX_WINE_TEMP: C:\users\<user>\Temp as a Unix path
    std::string windowsBuild; // the MinGW build tree: REELBOX_WINDOWS_BUILD from the
                              // environment, else the one the native tree was configured with
    std::string outputDir;    // where logs and screenshots go (the e2e build folder)
};

// Reads the environment; false with a message naming what is missing.
bool ReadEnvironment(Environment* env, std::string* error);
const Environment& Env();   // valid after E2eTest::SetUp

// ---- Screen -------------------------------------------------------------------------

// Opens the display named by DISPLAY once per process; false when it cannot.
bool OpenScreen(std::string* error);

struct TopWindow {
    unsigned long id = 0;     // X window id
    int x = 0, y = 0, width = 0, height = 0;   // on the screen, without any frame
    std::string title;        // _NET_WM_NAME, else WM_NAME, else ""
};

// The mapped (viewable) children of the root window, bottom to top.
std::vector<TopWindow> ListTopWindows();
// Mapped top-level windows whose title is exactly `title`.
std::vector<TopWindow> FindWindowsByTitle(const std::string& title);
// Mapped top-level windows with exactly this geometry.
std::vector<TopWindow> FindWindowsByRect(int x, int y, int width, int height);
std::string DescribeWindows(const std::vector<TopWindow>& windows);

// The window that has the X input focus (0 if none). Wine focuses a window a moment after
// mapping it, when it activates it; keys sent before that are lost, so wait for the focus.
unsigned long FocusedWindow();

// Screen pixels of the rectangle as 0x00RRGGBB, row by row; empty if it is off the screen.
std::vector<uint32_t> ReadScreen(int x, int y, int width, int height);
// Writes the whole screen as a PNG (through a PPM and /usr/bin/convert).
bool SaveScreenshot(const std::string& pngPath);

// ---- Input (XTest) ------------------------------------------------------------------

void MovePointer(int x, int y);
void ClickAt(int x, int y);                 // button 1 press and release at the point
bool PressKey(const std::string& keysym);   // "Escape", "Return", ...; false if unknown

// ---- Waiting ------------------------------------------------------------------------

// Polls `condition` every pollMs until it holds or timeoutMs have passed; answers whether
// it held. The condition is checked once more at the deadline.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 10);
// The one fixed wait a test may make: a period in which something must NOT happen, long
// enough for it to show itself if it did. `what` names it for the log.
void QuietPeriod(int ms, const char* what);
void SleepMs(int ms);
int64_t NowMs();   // monotonic

// ---- Processes ----------------------------------------------------------------------

struct WineProcess {
    pid_t pid = -1;
    std::string exe;
    std::string logPath;
    bool ended = false;
    int exitCode = -1;        // the Windows exit code (low 8 bits), once ended
    int termSignal = 0;       // the signal that ended it, if any
    int64_t startedMs = 0;
    int64_t endedMs = 0;
};

// Starts `wine exe args...` with the current environment, stdout and stderr appended to
// logPath, stdin from /dev/null. False with a message when fork or exec fails.
bool StartWine(const std::string& exe, const std::vector<std::string>& args,
               const std::string& logPath, WineProcess* process, std::string* error);
// Checks without blocking whether the process has ended; records its exit code if so.
bool PollExit(WineProcess* process);
// Waits up to timeoutMs for the process to end; true when it did.
bool WaitForExit(WineProcess* process, int timeoutMs);
// Kills the process (SIGKILL to its pid only) and reaps it. Nothing else is touched.
void KillProcess(WineProcess* process);
std::string ReadLog(const WineProcess& process);
// Runs a native program to its end (argv[0] found on PATH), its standard output and error
// into *output; answers its exit status, or -1 when it could not run or was killed.
int RunProgram(const std::vector<std::string>& args, std::string* output = nullptr);

// ---- Temporary folder ---------------------------------------------------------------

struct TempFile {
    std::string name;
    bool hidden = false;       // the Windows hidden attribute
    bool attributeKnown = false;   // false when the file carries no DOS attribute record
    uint32_t dosAttributes = 0;
    std::string contents;
};

// Deletes every entry of REELBOX_WINE_TEMP (files and folders); false with the first error.
bool EmptyTempFolder(std::string* error);
// The regular files of REELBOX_WINE_TEMP, sorted by name, with attributes and contents.
std::vector<TempFile> ListTempFolder();
std::string DescribeTempFiles(const std::vector<TempFile>& files);
// The names in a folder (any, not only the temporary one), sorted; empty if it cannot be read.
std::vector<std::string> FolderEntryNames(const std::string& folder);
// The DOS attributes Wine stores for a Unix file (user.DOSATTRIB, "0x..."); false if none.
bool ReadDosAttributes(const std::string& path, uint32_t* attributes);

// ---- Files --------------------------------------------------------------------------

bool ReadFileBytes(const std::string& path, std::string* bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The name a Windows program under Wine uses for a Unix path: Z: and backslashes.
std::string WindowsPath(const std::string& unixPath);

// ---- Test fixture -------------------------------------------------------------------

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts exe under Wine with its log named after the test; fails the test on error.
    // The process is killed in TearDown if it is still running.
    WineProcess* Start(const std::string& exe, const std::vector<std::string>& args = {});
    // Fails the test unless the process ends within timeoutMs.
    ::testing::AssertionResult Ends(WineProcess* process, int timeoutMs);
    // Fails the test unless `condition` holds within timeoutMs; `what` names the wait.
    ::testing::AssertionResult Within(int timeoutMs, const std::string& what,
                                      const std::function<bool()>& condition);
    // Path in the Windows build tree (SetUp has already skipped the test when none is set).
    std::string WindowsBuildPath(const std::string& relative) const;
    // The player every show carries and the probe (e2e_probe.exe), both in the Windows
    // build tree; SetUp has failed the test when either is missing.
    std::string Player() const;
    std::string Probe() const;
    // Packs a show with the native tackon: `tackon --player Player() args...`, its output
    // in *printed. A failure, with tackon's output, unless it succeeds.
    ::testing::AssertionResult Tackon(const std::vector<std::string>& args,
                                      std::string* printed = nullptr);
    // The text and buttons of the message box titled `title`, read in Wine by the probe:
    // "text=...\nbuttons=...\n", or why they could not be read.
    std::string BoxContents(const std::string& title);
    // Path in the output folder named after this test, e.g. for packages it makes.
    std::string OutputPath(const std::string& name) const;
    std::string TestName() const;

private:
    std::vector<std::unique_ptr<WineProcess>> processes_;
};

}  // namespace e2e
