// The refreshes every presenting window (animation and message window) makes when it is
// activated or loses the focus.
#pragma once

#include <windows.h>

#include "render/render_state.h"

// Realises the frame palette in the window and repaints it; arms the timer.
void RefreshPalette(PresentationState* state, HWND window);
// Hides a window for a second and shows it again over a fresh capture of the screen.
void RefreshAfterFocusLoss(PresentationState* state, HWND window, HWND gainingFocus);
