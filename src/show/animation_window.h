// The animation window's procedure (its creation and entrance: slide_in.h).
#pragma once

#include <windows.h>

// Posted by the animation window to itself when its last frame has been shown in a show
// with a message: opens the message window once the frame's repaint has been handled.
constexpr UINT kOpenMessageWindowRequest = WM_APP + 1;

LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
