// The animation window's procedure: frame playback by FrameTimer, the frame paint, the
// palette refresh on activation, the refresh after a focus loss, Escape and click, and the
// end of the session, which reaches this window in every stage of the show.
//
// The window is never destroyed by the program: a finished window is hidden and disappears
// with the process. The WM_DESTROY it receives while the show runs is the request, posted by
// the last tick, to open the message window.
#include "show/animation_window.h"

#include "gif/gif_loader.h"
#include "present/focus_refresh.h"
#include "present/frame_timer.h"
#include "render/render_api.h"
#include "render/render_state.h"
#include "show/message_window.h"
#include "show/show_end.h"
#include "startup/package_state.h"

namespace {

// Moves to the next frame after the leaving frame's delay: the leaving frame's disposal is
// applied to the stage first. At the end of the list the last frame stays, or, in a package
// with a message, the message window is requested.
void AdvanceFrame(HWND window, UINT_PTR id) {
    if (id != TimerId || ArmOnFirstTick(window) || !FrameCursor || !FrameDelayHasPassed())
        return;
    ApplyDisposal(FrameCursor->control.disposal);
    if (FrameCursor->next) {
        ChangeFrame(window, FrameCursor->next);
        return;
    }
    if (!PackageTrailer.message.present) {
        StopFrameTimer(window);
        return;
    }
    // The posted request is handled before the repaint, which then finds no frame.
    FrameCursor = nullptr;
    PostMessageA(window, WM_DESTROY, 0, 0);
    ReleaseFrame();
    InvalidateRect(window, nullptr, FALSE);
}

void PaintFrame(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc && FrameCursor)
        PaintComposedFrame(dc, window);
    EndPaint(window, &paint);
}

}  // namespace

LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: StartFrameTimer(window); return 0;
    case WM_DESTROY: OpenMessageWindow(window); return 0;
    case WM_ACTIVATE: RefreshPalette(window); return 0;
    case WM_KILLFOCUS: RefreshAfterFocusLoss(window, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_PAINT: PaintFrame(window); return 0;
    case WM_KEYDOWN: EndOnEscape(window, wParam, AskToEndShow); return 0;
    case WM_TIMER: AdvanceFrame(window, wParam); return 0;
    case WM_LBUTTONDOWN: OpenMessageWindow(window); return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: return AnswerEndOfSession(message, wParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
