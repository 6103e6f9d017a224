// Signing with osslsigncode in the native tackon (see show_signing.h).
#include "show_signing.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_io.h"
#include "pack/pack_api.h"
#include "signature_report.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Temporary files removed when the signing ends, unless kept.
class TemporaryFiles {
public:
    ~TemporaryFiles() {
        for (const std::string& path : paths_) {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    }
    bool Add(const std::string& target, std::string* path, std::string* error) {
        if (!TemporaryPathBeside(target, path, error))
            return false;
        paths_.push_back(*path);
        return true;
    }
    void Keep(const std::string& path) { paths_.erase(std::find(paths_.begin(), paths_.end(), path)); }

private:
    std::vector<std::string> paths_;
};

bool ReadPassword(const SignRequest& request, std::string* password, bool* given, std::string* error) {
    *given = true;
    if (!request.passwordFile.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(request.passwordFile, "password file", &bytes, error))
            return false;
        password->assign(bytes.begin(), bytes.end());
        while (!password->empty() && (password->back() == '\n' || password->back() == '\r'))
            password->pop_back();
        return true;
    }
    if (!request.passwordVariable.empty()) {
        const char* value = std::getenv(request.passwordVariable.c_str());
        if (!value) {
            *error = "the environment variable " + request.passwordVariable + " (--sign-password-env) is not set";
            return false;
        }
        *password = value;
        return true;
    }
    *given = false;
    return true;
}

// Runs a program found on the PATH with input on its standard input; its standard output
// and error are collected. False with *error set when it cannot be started.
bool RunTool(const std::vector<std::string>& args, const std::string& input, std::string* output,
             int* status, std::string* error) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) {
        *error = "cannot make a pipe";
        return false;
    }
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        *error = "cannot make a pipe";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        *error = spawned == ENOENT ? args[0] + " was not found on the PATH; install it (Debian: apt-get install " + args[0] + ")"
                                   : "cannot start " + args[0] + ": " + std::strerror(spawned);
        return false;
    }
    // The tool may end without reading its input; a closed pipe must not end tackon.
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    for (size_t written = 0; written < input.size();) {
        const ssize_t n = write(in[1], input.data() + written, input.size() - written);
        if (n <= 0 && errno != EINTR)
            break;
        written += n > 0 ? size_t(n) : 0;
    }
    close(in[1]);
    sigaction(SIGPIPE, &previous, nullptr);
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) != 0;)
        if (n > 0)
            output->append(buffer, size_t(n));
        else if (errno != EINTR)
            break;
    close(out[0]);
    int waited = 0;
    while (waitpid(child, &waited, 0) < 0 && errno == EINTR) {
    }
    *status = WIFEXITED(waited) ? WEXITSTATUS(waited) : 128 + WTERMSIG(waited);
    return true;
}

std::vector<std::string> SignCommand(const SignRequest& r, bool password, const std::string& in,
                                     const std::string& out) {
    std::vector<std::string> args = {"osslsigncode", "sign", "-h", "sha256"};
    if (!r.pkcs12.empty())
        args.insert(args.end(), {"-pkcs12", r.pkcs12});
    else
        args.insert(args.end(), {"-certs", r.certificate, "-key", r.key});
    if (password)
        args.insert(args.end(), {"-readpass", "-"});
    if (!r.timestampUrl.empty())
        args.insert(args.end(), {"-ts", r.timestampUrl});
    args.insert(args.end(), {"-in", in, "-out", out});
    return args;
}

// The first line osslsigncode wrote (its own words; OpenSSL's error stack follows), for the
// error message.
std::string Reason(const std::string& output) {
    const size_t start = output.find_first_not_of("\r\n");
    if (start == std::string::npos)
        return "no reason given";
    return output.substr(start, output.find_first_of("\r\n", start) - start);
}

}  // namespace

bool WriteSignedShow(const std::vector<uint8_t>& show, const SignRequest& request,
                     const std::string& target, std::ostream& out, std::string* error) {
    std::string password;
    bool hasPassword = false;
    if (!ReadPassword(request, &password, &hasPassword, error))
        return false;
    TemporaryFiles temporaries;
    std::string unsignedPath, signedPath;
    if (!temporaries.Add(target, &unsignedPath, error) || !WriteFileAtomically(unsignedPath, {&show}, error) ||
        !temporaries.Add(target, &signedPath, error))
        return false;
    std::string output;
    int status = 0;
    if (!RunTool(SignCommand(request, hasPassword, unsignedPath, signedPath), password, &output, &status, error))
        return false;
    if (status != 0) {
        *error = "osslsigncode could not sign the show: " + Reason(output);
        return false;
    }
    std::vector<uint8_t> signedShow;
    if (!ReadWholeFile(signedPath, "signed show", &signedShow, error))
        return false;
    const SignatureFacts facts = ReadSignature(signedShow);
    std::unique_ptr<ReelboxPacker, void (*)(ReelboxPacker*)> packer(ReelboxPackCreate(), ReelboxPackFree);
    if (!SignatureCoversWholeFile(facts) || !ReelboxPackCheck(packer.get(), signedShow.data(), signedShow.size())) {
        std::ostringstream said;
        PrintSignature(facts, said);
        *error = "the signed show did not pass its check, so it was not written: " + said.str() +
                 ReelboxPackReport(packer.get());
        return false;
    }
    std::error_code ec;
    fs::rename(signedPath, target, ec);
    if (ec) {
        *error = "cannot write '" + target + "': " + ec.message();
        return false;
    }
    temporaries.Keep(signedPath);
    PrintSignature(facts, out);
    return true;
}
