// The animation window: its creation with the slide-in entrance, and its window procedure.
#pragma once

#include <windows.h>

// Loads the animation, creates the window at the start cell and slides it to the end cell.
// true when it stands there with the first frame drawn; false after giving up (the sound is
// stopped and the temporary files are deleted on the paths that abandon).
bool CreateAnimationWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
