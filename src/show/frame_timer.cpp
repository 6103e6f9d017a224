// FrameTimer and its pacing state, shared by whichever window presents (see frame_timer.h).
#include "show/frame_timer.h"

UINT_PTR TimerId;
int TimerArmed;
DWORD LastAdvanceTick;

void StartFrameTimer(HWND window) {
    TimerId = 0;
    TimerArmed = 0;
    TimerId = SetTimer(window, kFrameTimerId, kFrameTimerPeriod, nullptr);
    LastAdvanceTick = GetTickCount();
}

void StopFrameTimer(HWND window) {
    if (TimerId != 0)
        KillTimer(window, TimerId);
    TimerId = 0;
}
