// OpenWebAddress and FindBrowser: the browser is found through its App Paths entry under
// HKEY_LOCAL_MACHINE (read only) and started with a command line of our own making, both
// through the wide calls so that its path may be in any language. The strings themselves
// are composed by browser_command.cpp.
#include "about/browser.h"

#include <windows.h>

#include <cstdlib>

#include "about/browser_command.h"

wchar_t* FindBrowser() {
    wchar_t key[kBrowserBufferSize];
    if (!ComposeAppPathsKey(kBrowserExecutable, key))
        return nullptr;
    wchar_t* path = static_cast<wchar_t*>(std::malloc(kBrowserBufferSize * sizeof(wchar_t)));
    if (!path)
        return nullptr;
    LONG size = kBrowserBufferSize * sizeof(wchar_t);   // in bytes
    if (RegQueryValueW(HKEY_LOCAL_MACHINE, key, path, &size) != ERROR_SUCCESS) {
        std::free(path);
        return nullptr;
    }
    // A value stored without its terminator still ends inside the buffer.
    path[kBrowserBufferSize - 1] = L'\0';
    return path;
}

void OpenWebAddress(const wchar_t* address) {
    if (!address || !*address)
        return;
    wchar_t* path = FindBrowser();
    if (!path)
        return;
    // CreateProcessW may write into the line it is given, so it is composed in our buffer.
    wchar_t commandLine[kBrowserBufferSize];
    // A line that does not fit is refused whole: a cut-off path or address is never run.
    if (ComposeBrowserCommand(path, address, commandLine)) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION started = {};
        if (CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &started)) {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
        }
    }
    std::free(path);
}
