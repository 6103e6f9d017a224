// The About dialog's logo window (class kLogoClass) and the web address it opens.
#pragma once

#include <windows.h>

// The address a click on the logo opens; set at build time (REELBOX_WEB_ADDRESS).
extern const char LogoWebAddress[];

LRESULT CALLBACK LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
