// FrameTimer and its pacing, kept in the presentation of whichever window presents (see
// frame_timer.h).
//
// Owns: FrameClockSource, the clock the tests may replace.
#include "present/frame_timer.h"

#include <mmsystem.h>

#include "render/render_api.h"

static DWORD (*FrameClockSource)() = nullptr;

DWORD FrameClockNow() {
    return FrameClockSource ? FrameClockSource() : timeGetTime();
}

void SetFrameClockSource(DWORD (*source)()) {
    FrameClockSource = source;
}

void StartFrameTimer(PresentationState* state, HWND window) {
    state->TimerArmed = false;
    state->TimerId = SetTimer(window, kFrameTimerId, kFrameTimerPeriod, nullptr);
    state->LastAdvanceTick = FrameClockNow();
}

void StopFrameTimer(PresentationState* state, HWND window) {
    if (state->TimerId != 0)
        KillTimer(window, state->TimerId);
    state->TimerId = 0;
}

bool ArmOnFirstTick(PresentationState* state, HWND window) {
    if (state->TimerArmed)
        return false;
    state->TimerArmed = true;
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

bool FrameDelayHasPassed(PresentationState* state) {
    DWORD now = FrameClockNow();
    DWORD delay = 10u * DWORD(unsigned(state->FrameCursor->control.delay));
    DWORD& last = state->LastAdvanceTick;
    if (now >= last && now - last < delay)
        return false;
    if (now < last || now - last - delay > kFrameResyncMs)
        last = now;
    else
        last += delay;
    return true;
}

void ChangeFrame(PresentationState* state, HWND window, FrameNode* next) {
    state->FrameCursor = next;
    ReleaseFrame(state);
    PrepareFrame(state);
    InvalidateRect(window, nullptr, FALSE);
}
