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

// Hides the window long enough for what lies behind it to repaint, captures that afresh and
// shows the window again over it. A failed capture keeps the previous snapshot and stage.
void RefreshAfterFocusLoss(PresentationState* state, HWND window, HWND gainingFocus) {
    if (!IsWindowVisible(window) || gainingFocus == window)
        return;
    ShowWindow(window, SW_HIDE);
    Sleep(1000);
    if (ReplaceBitmap(&state->BackgroundSnapshot,
                      CaptureScreenRect(&state->WindowRect, state->ActivePalette)))
        StageFromSnapshot(state);
    ShowWindow(window, SW_SHOW);
}
