// The animation window's procedure (its creation and entrance: slide_in.h).
#pragma once

#include <windows.h>

LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
