// FrameTimer and its pacing state, shared by whichever window presents (see frame_timer.h).
#include "present/frame_timer.h"

#include <mmsystem.h>

#include "render/render_api.h"

UINT_PTR TimerId;
int TimerArmed;
DWORD LastAdvanceTick;

static DWORD (*FrameClockSource)() = nullptr;

DWORD FrameClockNow() {
    return FrameClockSource ? FrameClockSource() : timeGetTime();
}

void SetFrameClockSource(DWORD (*source)()) {
    FrameClockSource = source;
}

void StartFrameTimer(HWND window) {
    TimerId = 0;
    TimerArmed = 0;
    TimerId = SetTimer(window, kFrameTimerId, kFrameTimerPeriod, nullptr);
    LastAdvanceTick = FrameClockNow();
}

void StopFrameTimer(HWND window) {
    if (TimerId != 0)
        KillTimer(window, TimerId);
    TimerId = 0;
}

bool ArmOnFirstTick(HWND window) {
    if (TimerArmed > 0)
        return false;
    TimerArmed = 1;
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

bool FrameDelayHasPassed() {
    DWORD now = FrameClockNow();
    DWORD delay = 10u * DWORD(unsigned(FrameCursor->control.delay));
    if (now >= LastAdvanceTick && now - LastAdvanceTick < delay)
        return false;
    if (now < LastAdvanceTick || now - LastAdvanceTick - delay > kFrameResyncMs)
        LastAdvanceTick = now;
    else
        LastAdvanceTick += delay;
    return true;
}

void ChangeFrame(HWND window, FrameNode* next) {
    FrameCursor = next;
    ReleaseFrame();
    PrepareFrame();
    InvalidateRect(window, nullptr, FALSE);
}
