// The strings OpenWebAddress and FindBrowser build: the App Paths key name under which the
// browser's executable is registered, and the browser command line. Both are wide, so a
// browser in a folder named in any language is found and started, and both live in
// 260-character buffers; a string that does not fit is refused whole rather than cut short,
// so a truncated path or address is never started.
// Portable: no platform headers (on Windows wchar_t is the system's UTF-16 unit).
#pragma once

#include <cstddef>

constexpr std::size_t kBrowserBufferSize = 260;   // 259 characters and the terminator
constexpr const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const wchar_t kBrowserExecutable[] = L"iexplore.exe";

// kAppPathsKey followed by the executable's name. False (and an empty buffer) when it does
// not fit or the name is missing.
bool ComposeAppPathsKey(const wchar_t* executable, wchar_t (&key)[kBrowserBufferSize]);

// A double quote, the path, two double quotes, the address and a double quote, with no
// space between the two quoted parts. The path is used exactly as the registry stores it,
// quotes and letter case included. False (and an empty buffer) when the line does not fit
// or a part is missing: the caller starts nothing.
bool ComposeBrowserCommand(const wchar_t* browserPath, const wchar_t* address,
                           wchar_t (&commandLine)[kBrowserBufferSize]);
