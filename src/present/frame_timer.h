// FrameTimer: the 10 ms timer of a presenting window (animation, message or logo window) and
// the pacing kept in that window's PresentationState.
#pragma once

#include <windows.h>

#include "render/render_state.h"

constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT kFrameTimerPeriod = 10;   // milliseconds

// A show this far behind its frames' due times starts counting again from the present.
constexpr DWORD kFrameResyncMs = 1000;

// The frame timer's clock in milliseconds, the only time it reads. Tests may set a source
// of their own; null restores the system's millisecond clock (timeGetTime).
DWORD FrameClockNow();
void SetFrameClockSource(DWORD (*source)());

// Resets the pacing and starts FrameTimer on the window (each window's WM_CREATE).
void StartFrameTimer(PresentationState* state, HWND window);
// Kills FrameTimer on the window when it is running; TimerId is 0 afterwards.
void StopFrameTimer(PresentationState* state, HWND window);

// The first accepted tick of a window (or any tick before its activation) only arms the
// timer and repaints; true when this tick did that.
bool ArmOnFirstTick(PresentationState* state, HWND window);
// True when the frame at FrameCursor has been shown for its delay, or the clock has
// wrapped. LastAdvanceTick then moves on by the delay, so that a late tick does not delay
// the frames after it; to now after a wrap or when more than kFrameResyncMs behind.
bool FrameDelayHasPassed(PresentationState* state);
// The frame change: the cursor moves to next, the leaving frame's DIB and palette are
// released, the new frame is prepared and the window repaints.
void ChangeFrame(PresentationState* state, HWND window, FrameNode* next);
