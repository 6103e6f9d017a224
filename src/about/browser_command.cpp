// The App Paths key name and the browser command line (see browser_command.h).
#include "about/browser_command.h"

#include <cstdio>

namespace {

// snprintf into the buffer; a result that needed more room is wiped and refused.
bool Fits(int written, char (&buffer)[kBrowserBufferSize]) {
    if (written < 0 || static_cast<std::size_t>(written) >= kBrowserBufferSize) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

bool ComposeAppPathsKey(const char* executable, char (&key)[kBrowserBufferSize]) {
    if (executable == nullptr) {
        key[0] = '\0';
        return false;
    }
    return Fits(std::snprintf(key, kBrowserBufferSize, "%s%s", kAppPathsKey, executable), key);
}

bool ComposeBrowserCommand(const char* browserPath, const char* address,
                           char (&commandLine)[kBrowserBufferSize]) {
    if (browserPath == nullptr || address == nullptr) {
        commandLine[0] = '\0';
        return false;
    }
    const int written = std::snprintf(commandLine, kBrowserBufferSize, "\"%s\"\"%s\"",
                                      browserPath, address);
    return Fits(written, commandLine);
}
