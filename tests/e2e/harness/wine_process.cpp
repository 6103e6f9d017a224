// Windows programs under Wine: start one as `wine exe args...` with its output in a log
// file, wait for it with a timeout, read its exit code, and kill it by its own pid. The
// Debian wine launcher execs the loader, so the pid is the Windows program itself; Wine's
// session processes (wineserver, services, explorer) are never touched.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "e2e_harness.h"

namespace e2e {

int64_t NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void SleepMs(int ms) {
    if (ms <= 0) return;
    timespec delay{ms / 1000, long(ms % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) == -1 && errno == EINTR) {
    }
}

void QuietPeriod(int ms, const char* what) {
    std::printf("[ quiet ] %d ms in which %s\n", ms, what);
    SleepMs(ms);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
    int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        int64_t left = deadline - NowMs();
        if (left <= 0) return condition();
        SleepMs(int(left < pollMs ? left : pollMs));
    }
}

bool StartWine(const std::string& exe, const std::vector<std::string>& args,
               const std::string& logPath, WineProcess* process, std::string* error) {
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0) {
        *error = "cannot open log " + logPath + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> argvStrings{"wine", exe};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argvStrings) argv.push_back(&s[0]);
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) {
        *error = std::string("fork failed: ") + std::strerror(errno);
        close(log);
        return false;
    }
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        if (in >= 0) dup2(in, 0);
        dup2(log, 1);
        dup2(log, 2);
        execvp("wine", argv.data());
        const char* message = "e2e harness: exec wine failed\n";
        ssize_t ignored = write(2, message, std::strlen(message));
        (void)ignored;
        _exit(127);
    }
    close(log);
    *process = WineProcess();
    process->pid = pid;
    process->exe = exe;
    process->logPath = logPath;
    process->startedMs = NowMs();
    return true;
}

namespace {

void RecordStatus(WineProcess* process, int status) {
    process->ended = true;
    process->endedMs = NowMs();
    if (WIFEXITED(status)) process->exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) process->termSignal = WTERMSIG(status);
}

}  // namespace

bool PollExit(WineProcess* process) {
    if (process->ended) return true;
    if (process->pid <= 0) return false;
    int status = 0;
    pid_t done = waitpid(process->pid, &status, WNOHANG);
    if (done == process->pid) {
        RecordStatus(process, status);
        return true;
    }
    return false;
}

bool WaitForExit(WineProcess* process, int timeoutMs) {
    return WaitUntil([process] { return PollExit(process); }, timeoutMs, 5);
}

void KillProcess(WineProcess* process) {
    if (process->pid <= 0 || PollExit(process)) return;
    kill(process->pid, SIGKILL);
    int status = 0;
    if (waitpid(process->pid, &status, 0) == process->pid) RecordStatus(process, status);
}

std::string ReadLog(const WineProcess& process) {
    std::string text;
    ReadFileBytes(process.logPath, &text);
    return text;
}

int RunProgram(const std::vector<std::string>& args, std::string* output) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        dup2(pipeEnds[1], 1);
        dup2(pipeEnds[1], 2);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) text.append(buffer, size_t(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace e2e
