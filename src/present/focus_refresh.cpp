// The presenting window's refresh on activation and after a focus loss (see
// focus_refresh.h).
#include "present/focus_refresh.h"

#include "present/display_bitmap.h"
#include "present/frame_timer.h"
#include "render/render_api.h"

// Realises the frame's palette in the window's context and repaints; an activation also
// arms the timer.
void RefreshPalette(PresentationState* state, HWND window) {
    HDC dc = GetDC(window);
    HPALETTE previous = SelectAndRealisePalette(dc, state->ActivePalette);
    InvalidateRect(window, nullptr, FALSE);
    RestorePalette(dc, previous, kRestoreAsBackground);
    state->TimerArmed = true;
    if (dc)
        ReleaseDC(window, dc);
}

namespace {

// Captures what now lies under the window and shows the window again over it. A failed
// capture keeps the previous snapshot and stage.
void ShowOverFreshCapture(PresentationState* state, HWND window) {
    if (ReplaceBitmap(&state->BackgroundSnapshot,
                      CaptureScreenRect(&state->WindowRect, state->ActivePalette)))
        StageFromSnapshot(state);
    ShowWindow(window, SW_SHOW);
}

}  // namespace

// Hides the window long enough for what lies behind it to repaint; the refresh timer's tick
// captures that afresh and shows the window again over it.
void RefreshAfterFocusLoss(PresentationState* state, HWND window, HWND gainingFocus) {
    if (!IsWindowVisible(window) || gainingFocus == window || state->FocusRefreshPending)
        return;
    ShowWindow(window, SW_HIDE);
    state->FocusRefreshPending =
        SetTimer(window, kFocusRefreshTimerId, kFocusRefreshHiddenMs, nullptr) != 0;
    if (!state->FocusRefreshPending)
        ShowOverFreshCapture(state, window);
}

bool FinishFocusRefresh(PresentationState* state, HWND window, UINT_PTR timerId) {
    if (timerId != kFocusRefreshTimerId)
        return false;
    KillTimer(window, kFocusRefreshTimerId);
    if (state->FocusRefreshPending) {
        state->FocusRefreshPending = false;
        ShowOverFreshCapture(state, window);
    }
    return true;
}

void CancelFocusRefresh(PresentationState* state, HWND window) {
    if (!state->FocusRefreshPending)
        return;
    KillTimer(window, kFocusRefreshTimerId);
    state->FocusRefreshPending = false;
}
