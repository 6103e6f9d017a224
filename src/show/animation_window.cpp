// The animation window's procedure: frame playback by FrameTimer, the frame paint, the
// palette refresh on activation, the refresh after a focus loss, Escape and click, and the
// end of the session, which reaches this window in every stage of the show. The window's
// ShowWindowState is the one handed to its creation (slide_in.cpp), whose slide timer's
// ticks also come here.
//
// The window is never destroyed by the program: a finished window is hidden and disappears
// with the process.
#include "show/animation_window.h"

#include "present/focus_refresh.h"
#include "present/frame_timer.h"
#include "render/render_api.h"
#include "show/message_window.h"
#include "show/show_end.h"
#include "show/slide_in.h"

namespace {

// Moves to the next frame after the leaving frame's delay: the leaving frame's disposal is
// applied to the stage first. At the end of the list the last frame stays, or, in a package
// with a message, the message window is requested. Nothing moves during the entrance.
void AdvanceFrame(ShowWindowState* shown, HWND window, UINT_PTR id) {
    PresentationState* state = &shown->presentation;
    if (ContinueEntrance(shown, window, id) || AnimationIsEntering())
        return;
    if (FinishFocusRefresh(state, window, id) || state->FocusRefreshPending)
        return;
    if (id != state->TimerId || ArmOnFirstTick(state, window) || !state->FrameCursor ||
        !FrameDelayHasPassed(state))
        return;
    ApplyDisposal(state, state->FrameCursor->control.disposal);
    if (state->FrameCursor->next) {
        ChangeFrame(state, window, state->FrameCursor->next);
        return;
    }
    if (!shown->settings->MessageFile) {
        StopFrameTimer(state, window);
        return;
    }
    // The posted request is handled before the repaint, which then finds no frame.
    state->FrameCursor = nullptr;
    PostMessageA(window, kOpenMessageWindowRequest, 0, 0);
    ReleaseFrame(state);
    InvalidateRect(window, nullptr, FALSE);
}

void PaintFrame(const PresentationState* state, HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc && state->FrameCursor)
        PaintComposedFrame(state, dc, window);
    EndPaint(window, &paint);
}

void OnKillFocus(PresentationState* state, HWND window, HWND gainingFocus) {
    if (!HoldFocusLossUntilArrival(gainingFocus))
        RefreshAfterFocusLoss(state, window, gainingFocus);
}

}  // namespace

LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ShowWindowState* shown = AttachShowWindow(window, message, lParam);
    if (!shown)
        return DefWindowProcA(window, message, wParam, lParam);
    PresentationState* state = &shown->presentation;
    switch (message) {
    case WM_CREATE: StartFrameTimer(state, window); return 0;
    case kOpenMessageWindowRequest: OpenMessageWindow(shown, window); return 0;
    case WM_ACTIVATE: RefreshPalette(state, window); return 0;
    case WM_KILLFOCUS: OnKillFocus(state, window, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_PAINT: PaintFrame(state, window); return 0;
    case WM_KEYDOWN: EndOnEscape(window, wParam, AskToEndShow); return 0;
    case WM_TIMER: AdvanceFrame(shown, window, wParam); return 0;
    case WM_LBUTTONDOWN: OpenMessageWindow(shown, window); return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: return AnswerEndOfSession(message, wParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
