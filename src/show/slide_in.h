// The animation window's entrance: its creation at the start cell and the slide to the end
// cell, which the slide's timer carries on from the message loop.
#pragma once

#include <windows.h>

#include "show/show_window.h"
#include "startup/show_settings.h"

// The timer of the slide on the animation window: one pass a tick, then the arrival.
constexpr UINT_PTR kSlideTimerId = 3;

// Loads the animation, creates the window at the start cell with the first frame drawn and
// starts the slide to the end cell. true when the slide is under way; false when the window
// could not be made, after releasing whatever it loaded: the caller then abandons the show
// (AbandonShow). The settings must outlive the window.
bool CreateAnimationWindow(HINSTANCE instance, int showCommand, const ShowSettings* settings);
// The tick of kSlideTimerId: the next pass of the slide or, once it is over, the arrival,
// which stages the window at the end cell and shows it. A pass or an arrival that cannot be
// made abandons the show. true when the tick was that timer's.
bool ContinueEntrance(ShowWindowState* state, HWND window, UINT_PTR timerId);
// Whether the window is on its way: its frames do not move until it has arrived.
bool AnimationIsEntering();
// During the entrance a focus loss is held and handled on arrival, when the window stands
// where a fresh capture means something; true when it was held.
bool HoldFocusLossUntilArrival(HWND gainingFocus);
