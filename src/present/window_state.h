// A window's own state: the record handed to CreateWindowEx's last parameter stays with the
// window (GWLP_USERDATA) from WM_NCCREATE on, so each window procedure finds the state of
// the window it handles. Windows only.
#pragma once

#include <windows.h>

// Call first in a window procedure: at WM_NCCREATE attaches the creation parameter; always
// answers the window's state, null before WM_NCCREATE or when none was handed over.
void* AttachWindowState(HWND window, UINT message, LPARAM lParam);
void* WindowState(HWND window);
// The program instance the window was created with.
HINSTANCE WindowInstance(HWND window);
