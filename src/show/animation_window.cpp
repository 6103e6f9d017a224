// The animation window's procedure: frame playback by FrameTimer, the frame paint, the
// palette refresh on activation, the refresh after a focus loss, Escape and click, and the
// end of the session, which reaches this window in every stage of the show. The window's
// PresentationState is the one handed to its creation (slide_in.cpp).
//
// The window is never destroyed by the program: a finished window is hidden and disappears
// with the process.
#include "show/animation_window.h"

#include "present/focus_refresh.h"
#include "present/frame_timer.h"
#include "present/window_state.h"
#include "render/render_api.h"
#include "show/message_window.h"
#include "show/show_end.h"
#include "startup/package_state.h"

namespace {

// Moves to the next frame after the leaving frame's delay: the leaving frame's disposal is
// applied to the stage first. At the end of the list the last frame stays, or, in a package
// with a message, the message window is requested.
void AdvanceFrame(PresentationState* state, HWND window, UINT_PTR id) {
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
    if (!PackageTrailer.message.present) {
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

}  // namespace

LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PresentationState* state = AttachPresentation(window, message, lParam);
    if (!state)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: StartFrameTimer(state, window); return 0;
    case kOpenMessageWindowRequest: OpenMessageWindow(window); return 0;
    case WM_ACTIVATE: RefreshPalette(state, window); return 0;
    case WM_KILLFOCUS: RefreshAfterFocusLoss(state, window, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_PAINT: PaintFrame(state, window); return 0;
    case WM_KEYDOWN: EndOnEscape(window, wParam, AskToEndShow); return 0;
    case WM_TIMER: AdvanceFrame(state, window, wParam); return 0;
    case WM_LBUTTONDOWN: OpenMessageWindow(window); return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: return AnswerEndOfSession(message, wParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
