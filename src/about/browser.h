// Opening a web address in the browser that the registry's App Paths entry for
// "iexplore.exe" names. Windows only; nothing is reported to the user.
#pragma once

// Starts the browser on the address. A missing or empty address reads no registry key; no
// browser found, or a command line that does not fit 260 characters, starts nothing.
void OpenWebAddress(const wchar_t* address);

// The browser executable's path exactly as the registry stores it, in a newly allocated
// buffer of 260 wide characters the caller frees with free(); null when there is none.
wchar_t* FindBrowser();
