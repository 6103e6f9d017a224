// FrameTimer: the one 10 ms timer of the presenting window (animation, message or logo
// window) and the state that paces it.
#pragma once

#include <windows.h>

constexpr UINT_PTR kFrameTimerId = 1;
constexpr UINT kFrameTimerPeriod = 10;   // milliseconds

extern UINT_PTR TimerId;        // 0 when the timer could not be created
extern int TimerArmed;          // 0 until the first accepted tick or activation
extern DWORD LastAdvanceTick;   // tick count of the window's creation and of every advance

// Resets the timer state and starts FrameTimer on the window (each window's WM_CREATE).
void StartFrameTimer(HWND window);
// Kills FrameTimer on the window when it is running; TimerId is 0 afterwards.
void StopFrameTimer(HWND window);
