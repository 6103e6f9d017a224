// The About dialog's logo window (class kLogoClass), which opens a web address on a click.
#pragma once

#include <windows.h>

LRESULT CALLBACK LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
