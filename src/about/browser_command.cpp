// The App Paths key name and the browser command line (see browser_command.h).
#include "about/browser_command.h"

namespace {

// Joins the parts into the buffer; when they need more room the buffer is wiped and the
// result refused.
bool Join(const wchar_t* const* parts, std::size_t count, wchar_t (&buffer)[kBrowserBufferSize]) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (parts[i] == nullptr) {
            buffer[0] = L'\0';
            return false;
        }
        for (const wchar_t* c = parts[i]; *c; ++c) {
            if (length == kBrowserBufferSize - 1) {
                buffer[0] = L'\0';
                return false;
            }
            buffer[length++] = *c;
        }
    }
    buffer[length] = L'\0';
    return true;
}

}  // namespace

bool ComposeAppPathsKey(const wchar_t* executable, wchar_t (&key)[kBrowserBufferSize]) {
    const wchar_t* parts[] = {kAppPathsKey, executable};
    return Join(parts, 2, key);
}

bool ComposeBrowserCommand(const wchar_t* browserPath, const wchar_t* address,
                           wchar_t (&commandLine)[kBrowserBufferSize]) {
    const wchar_t* parts[] = {L"\"", browserPath, L"\"\"", address, L"\""};
    return Join(parts, 5, commandLine);
}
