// OpenWebAddress and FindBrowser: the browser is found through its App Paths entry under
// HKEY_LOCAL_MACHINE (read only) and started with a command line of our own making. The
// strings themselves are composed by browser_command.cpp.
#include "about/browser.h"

#include <windows.h>

#include <cstdlib>

#include "about/browser_command.h"

char* FindBrowser() {
    char key[kBrowserBufferSize];
    if (!ComposeAppPathsKey(kBrowserExecutable, key))
        return nullptr;
    char* path = static_cast<char*>(std::malloc(kBrowserBufferSize));
    if (!path)
        return nullptr;
    LONG size = kBrowserBufferSize;
    if (RegQueryValueA(HKEY_LOCAL_MACHINE, key, path, &size) != ERROR_SUCCESS) {
        std::free(path);
        return nullptr;
    }
    // A value stored without its terminator still ends inside the buffer.
    path[kBrowserBufferSize - 1] = '\0';
    return path;
}

void OpenWebAddress(const char* address) {
    if (!address || !*address)
        return;
    char* path = FindBrowser();
    if (!path)
        return;
    char commandLine[kBrowserBufferSize];
    // A line that does not fit is refused whole: a cut-off path or address is never run.
    if (ComposeBrowserCommand(path, address, commandLine))
        WinExec(commandLine, SW_SHOWNORMAL);
    std::free(path);
}
