// The animation window's entrance: its creation at the start cell and the slide to the end
// cell.
#pragma once

#include <windows.h>

// Loads the animation, creates the window at the start cell and slides it to the end cell.
// true when it stands there with the first frame drawn; false when it could not, after
// releasing whatever it loaded: the caller then abandons the show (AbandonShow).
bool CreateAnimationWindow(HINSTANCE instance, int showCommand);
