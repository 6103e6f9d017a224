// The refreshes every presenting window (animation and message window) makes when it is
// activated or loses the focus.
#pragma once

#include <windows.h>

#include "render/render_state.h"

// The one-shot timer that ends the hidden second of a focus refresh.
constexpr UINT_PTR kFocusRefreshTimerId = 2;
constexpr UINT kFocusRefreshHiddenMs = 1000;

// Realises the frame palette in the window and repaints it; arms the timer.
void RefreshPalette(PresentationState* state, HWND window);
// Hides a window for a second (FocusRefreshPending meanwhile, during which the window's frames
// stand still) and then shows it again over a fresh capture of the screen.
void RefreshAfterFocusLoss(PresentationState* state, HWND window, HWND gainingFocus);
// The tick of kFocusRefreshTimerId: recaptures and shows the window. true when the tick
// was that timer's.
bool FinishFocusRefresh(PresentationState* state, HWND window, UINT_PTR timerId);
// Drops a pending refresh, so that a window hidden for good is not shown again.
void CancelFocusRefresh(PresentationState* state, HWND window);
