// The environment a test runs in and the E2eTest fixture: checks the environment, empties
// the temporary folder before each test, names logs and screenshots after the test, and on
// a failure saves a screenshot and the process logs before killing what the test started.
#include <sys/stat.h>

#include <cstdlib>

#include "e2e_harness.h"

#ifndef REELBOX_WINDOWS_BUILD_DIR
#define REELBOX_WINDOWS_BUILD_DIR ""
#endif
#ifndef REELBOX_E2E_OUTPUT_DIR
#define REELBOX_E2E_OUTPUT_DIR "."
#endif
#ifndef REELBOX_TACKON
#error "REELBOX_TACKON names the native tackon program (set by the build)"
#endif

namespace e2e {

namespace {

Environment gEnvironment;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void MakeFolder(const std::string& path) {
    mkdir(path.c_str(), 0755);
}

}  // namespace

bool ReadEnvironment(Environment* env, std::string* error) {
    env->display = Variable("DISPLAY");
    env->winePrefix = Variable("WINEPREFIX");
    env->wineTemp = Variable("REELBOX_WINE_TEMP");
    env->windowsBuild = Variable("REELBOX_WINDOWS_BUILD");
    if (env->windowsBuild.empty()) env->windowsBuild = REELBOX_WINDOWS_BUILD_DIR;
    env->outputDir = REELBOX_E2E_OUTPUT_DIR;
    std::string missing;
    if (env->display.empty()) missing += " DISPLAY";
    if (env->winePrefix.empty()) missing += " WINEPREFIX";
    if (env->wineTemp.empty()) missing += " REELBOX_WINE_TEMP";
    if (!missing.empty()) {
        *error = "environment variables not set:" + missing +
                 " (run the tests with ctest, which starts the test environment, or inside "
                 "scripts/test-env.sh run NATIVE_BUILD ENV_DIR -- ...)";
        return false;
    }
    return true;
}

const Environment& Env() {
    return gEnvironment;
}

std::string E2eTest::TestName() const {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

void E2eTest::SetUp() {
    std::string error;
    bool haveEnvironment = ReadEnvironment(&gEnvironment, &error);
    if (gEnvironment.windowsBuild.empty())
        GTEST_SKIP() << "REELBOX_WINDOWS_BUILD is empty: configure the native tree with "
                        "-DREELBOX_WINDOWS_BUILD=<MinGW build tree> to run end-to-end tests";
    ASSERT_TRUE(haveEnvironment) << error;
    ASSERT_TRUE(OpenScreen(&error)) << error;
    ASSERT_TRUE(EmptyTempFolder(&error)) << "cannot empty the temporary folder: " << error;
    for (const std::string& program : {Player(), Probe()})
        ASSERT_TRUE(FileExists(program)) << program << " is missing: build the Windows tree";
    MakeFolder(gEnvironment.outputDir + "/logs");
    MakeFolder(gEnvironment.outputDir + "/screenshots");
    MakeFolder(gEnvironment.outputDir + "/work");
    MakeFolder(gEnvironment.outputDir + "/work/" + TestName());
}

void E2eTest::TearDown() {
    if (HasFailure() && !gEnvironment.display.empty()) {
        std::string shot = gEnvironment.outputDir + "/screenshots/" + TestName() + ".png";
        bool saved = SaveScreenshot(shot);
        std::string report = saved ? "screenshot: " + shot : "no screenshot could be saved";
        report += "\nwindows:" + DescribeWindows(ListTopWindows());
        report += "\ntemporary folder:" + DescribeTempFiles(ListTempFolder());
        for (const auto& process : processes_) {
            PollExit(process.get());
            report += "\nprocess " + process->exe + " (pid " + std::to_string(process->pid) +
                      "): " +
                      (process->ended ? "exit code " + std::to_string(process->exitCode)
                                      : std::string("still running")) +
                      ", log " + process->logPath;
            std::string log = ReadLog(*process);
            if (!log.empty()) report += ":\n" + log;
        }
        ADD_FAILURE() << "state at failure of " << TestName() << ":\n" << report;
    }
    for (const auto& process : processes_) KillProcess(process.get());
    processes_.clear();
}

WineProcess* E2eTest::Start(const std::string& exe, const std::vector<std::string>& args) {
    processes_.push_back(std::make_unique<WineProcess>());
    WineProcess* process = processes_.back().get();
    std::string log = gEnvironment.outputDir + "/logs/" + TestName() + "-" +
                      std::to_string(processes_.size()) + ".log";
    std::remove(log.c_str());
    std::string error;
    if (!StartWine(exe, args, log, process, &error))
        ADD_FAILURE() << "cannot start " << exe << ": " << error;
    return process;
}

::testing::AssertionResult E2eTest::Ends(WineProcess* process, int timeoutMs) {
    if (process->pid <= 0) return ::testing::AssertionFailure() << process->exe << " never started";
    if (WaitForExit(process, timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << process->exe << " (pid " << process->pid << ") did not end within " << timeoutMs
           << " ms; windows:" << DescribeWindows(ListTopWindows());
}

::testing::AssertionResult E2eTest::Within(int timeoutMs, const std::string& what,
                                           const std::function<bool()>& condition) {
    int64_t start = NowMs();
    if (WaitUntil(condition, timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "timed out after " << (NowMs() - start) << " ms waiting for " << what
           << "; windows:" << DescribeWindows(ListTopWindows());
}

std::string E2eTest::WindowsBuildPath(const std::string& relative) const {
    return gEnvironment.windowsBuild + "/" + relative;
}

std::string E2eTest::Player() const {
    const char* other = std::getenv("REELBOX_E2E_PLAYER");   // bench/startup-compare.sh
    return other && *other ? other : WindowsBuildPath("src/app/reelbox.exe");
}

std::string E2eTest::Probe() const {
    return WindowsBuildPath("tests/e2e/fixtures/e2e_probe.exe");
}

::testing::AssertionResult E2eTest::Tackon(const std::vector<std::string>& args,
                                           std::string* printed) {
    std::vector<std::string> command = {REELBOX_TACKON, "--player", Player()};
    command.insert(command.end(), args.begin(), args.end());
    std::string output;
    const int status = RunProgram(command, &output);
    if (printed) *printed = output;
    if (status == 0) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "tackon failed:";
    for (const std::string& arg : command) failure << " '" << arg << "'";
    return failure << "\n" << output;
}

std::string E2eTest::BoxContents(const std::string& title) {
    std::string file = OutputPath("box.txt");
    std::remove(file.c_str());
    WineProcess* reader = Start(Probe(), {"box-text", title, WindowsPath(file)});
    if (!Ends(reader, 5000) || reader->exitCode != 0)
        return "(the probe could not read the box, exit code " +
               std::to_string(reader->exitCode) + ")";
    std::string contents;
    ReadFileBytes(file, &contents);
    return contents;
}

std::string E2eTest::OutputPath(const std::string& name) const {
    return gEnvironment.outputDir + "/work/" + TestName() + "/" + name;
}

}  // namespace e2e
