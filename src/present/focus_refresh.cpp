// The presenting window's refresh on activation and after a focus loss (see
// focus_refresh.h).
#include "present/focus_refresh.h"

#include "present/display_bitmap.h"
#include "present/frame_timer.h"
#include "render/render_api.h"
#include "render/render_state.h"

// Realises the frame's palette in the window's context and repaints; an activation also
// arms the timer.
void RefreshPalette(HWND window) {
    HDC dc = GetDC(window);
    HPALETTE previous = SelectAndRealisePalette(dc, ActivePalette);
    InvalidateRect(window, nullptr, FALSE);
    RestorePalette(dc, previous, kRestoreAsBackground);
    TimerArmed = 1;
    if (dc)
        ReleaseDC(window, dc);
}

// Hides the window long enough for what lies behind it to repaint, captures that afresh and
// shows the window again over it. A failed capture keeps the previous snapshot and stage.
void RefreshAfterFocusLoss(HWND window, HWND gainingFocus) {
    if (!IsWindowVisible(window) || gainingFocus == window)
        return;
    ShowWindow(window, SW_HIDE);
    Sleep(1000);
    if (ReplaceBitmap(&BackgroundSnapshot, CaptureScreenRect(&WindowRect, ActivePalette)))
        StageFromSnapshot();
    ShowWindow(window, SW_SHOW);
}
