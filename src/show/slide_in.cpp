// CreateAnimationWindow: loads the animation, prepares its first frame and the screen
// captures, creates the animation window at its start cell with the first frame drawn and
// starts its slide to the end cell. The slide's timer carries the rest from the message
// loop: a pass per tick, each kSlideStepWait after the previous one was drawn, and the
// arrival kArrivalWait after the last.
//
// Every background piece of the slide is cut from one capture of the whole screen taken
// before the window exists, so the moving window never captures itself.
//
// Owns: AnimationWindow, the animation window's state, handed to the window at its creation
// and released by the end of the show, by the message window or, when the entrance fails,
// here; and the entrance's progress between ticks: Entering, Slide and a focus
// loss held until the arrival.
#include "show/slide_in.h"

#include "gif/showable_screen.h"
#include "present/display_bitmap.h"
#include "present/focus_refresh.h"
#include "present/frame_timer.h"
#include "present/window_classes.h"
#include "render/render_api.h"
#include "show/placement.h"
#include "show/show_end.h"

namespace {

constexpr UINT kSlideStepWait = 50;   // milliseconds per pass
constexpr UINT kArrivalWait = 100;

ShowWindowState AnimationWindow;
bool Entering;
SlideState Slide;
bool FocusLostOnTheWay;
HWND FocusTakerOnTheWay;

void SetWindowRectAt(PresentationState* state, Point corner, Size size) {
    SetRect(&state->WindowRect, corner.x, corner.y, corner.x + size.cx, corner.y + size.cy);
}

// Replaces BackgroundSnapshot with the piece of FullScreenSnapshot under WindowRect.
bool CutBackgroundFromFullScreen(PresentationState* state) {
    const RECT& at = state->WindowRect;
    int width = at.right - at.left;
    int height = at.bottom - at.top;
    HBITMAP piece = CreateDisplayBitmap(width, height);
    if (!piece)
        return false;
    CopyBitmapPiece(piece, state->FullScreenSnapshot, at.left, at.top, width, height);
    return ReplaceBitmap(&state->BackgroundSnapshot, piece);
}

void MoveWithoutRepaint(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void CopyPictureToWindow(HDC windowDc, const RECT& client, const ComposedPicture& picture) {
    if (picture.dc)
        BitBlt(windowDc, 0, 0, client.right, client.bottom, picture.dc, 0, 0, SRCCOPY);
}

void DrawFirstPicture(const PresentationState* state, HWND window) {
    ComposedPicture picture = ComposeFrame(state, window, 0, 0);
    HDC dc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    if (dc) {
        CopyPictureToWindow(dc, client, picture);
        ReleaseDC(window, dc);
    }
    ReleaseComposedPicture(&picture);
    UpdateWindow(window);
}

// One pass of the slide: the window moves to its new corner and shows the first frame over
// the screen piece that lies there. From the second pass on, the previous corner first gets
// the picture that was composed for it one pass ahead, so no stale pixels are seen.
bool SlidePassOnScreen(PresentationState* state, HWND window, const SlidePass& pass, Size size,
                       const ComposedPicture& lookAhead) {
    SetWindowRectAt(state, pass.corner, size);
    if (!CutBackgroundFromFullScreen(state))
        return false;
    MoveWithoutRepaint(window, pass.corner.x, pass.corner.y);
    StageFromSnapshot(state);
    ComposedPicture picture = ComposeFrame(state, window, 0, 0);
    HDC dc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    if (dc && pass.index != 0) {
        MoveWithoutRepaint(window, pass.corner.x - pass.step.x, pass.corner.y - pass.step.y);
        CopyPictureToWindow(dc, client, lookAhead);
        MoveWithoutRepaint(window, pass.corner.x, pass.corner.y);
        CopyPictureToWindow(dc, client, picture);
    }
    if (dc)
        ReleaseDC(window, dc);
    ReleaseComposedPicture(&picture);
    // Where window output is buffered (Wine's window surfaces, a compositor), a copy made
    // outside a paint reaches the screen only with the next move, so the window would show
    // the previous pass's look-ahead picture for the whole wait. A paint now draws the same
    // picture from the stage and pushes it out.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return true;
}

Size AnimationSize(const PresentationState* state) {
    return {state->gif.ScreenDescriptor.screenWidth, state->gif.ScreenDescriptor.screenHeight};
}

// One pass of the slide. The stage still lies at the previous corner, so the picture for that
// corner with the frame where the next corner puts it is composed first.
bool SlideOnePass(PresentationState* state, HWND window) {
    ComposedPicture lookAhead = {};
    if (Slide.index != 0)
        lookAhead = ComposeFrame(state, window, Slide.step.x, Slide.step.y);
    SlidePass pass = NextSlideCorner(&Slide);
    bool ok = SlidePassOnScreen(state, window, pass, AnimationSize(state), lookAhead);
    ReleaseComposedPicture(&lookAhead);
    return ok;
}

// The slide's timer is set again after every pass, so each wait counts from the drawing.
bool WaitForNextPass(HWND window) {
    return SetTimer(window, kSlideTimerId, Slide.arrived ? kArrivalWait : kSlideStepWait, nullptr) != 0;
}

// The window at the end cell: the final stage, the screen's repaint and the window shown.
bool ArriveAtEndCell(PresentationState* state, HWND window) {
    // The final stage is made before the other windows are repainted. Their repaint sends them
    // messages and waits for the answers, and meanwhile this thread handles what is sent to it:
    // a focus loss then recaptures the screen (RefreshAfterFocusLoss), and a stage made after
    // that would bring back the screen as it was before the window appeared.
    const bool staged = CutBackgroundFromFullScreen(state);
    if (staged)
        StageFromSnapshot(state);
    // Whatever the slide left on other windows is repainted.
    InvalidateRect(nullptr, nullptr, TRUE);
    if (!staged)
        return false;
    ShowWindow(window, SW_SHOW);
    if (FocusLostOnTheWay)
        RefreshAfterFocusLoss(state, window, FocusTakerOnTheWay);
    FocusLostOnTheWay = false;
    return true;
}

// The animation loaded and its first frame prepared over the screen under the start cell,
// before the window exists; false when any of it could not be made.
bool PrepareAnimation(PresentationState* state, const ShowSettings& settings, Point* start,
                      Point* target) {
    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0))
        return false;
    Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    state->gif = GifLoader(settings.AnimationFile);
    if (!state->gif.FrameListHead)
        return false;
    const Size size = AnimationSize(state);
    if (!ScreenIsShowable(size.cx, size.cy))
        return false;
    BuildGlobalPalette(state);
    Point workAreaCorner{workArea.left, workArea.top};
    *start = AnimationCellCorner(int(settings.StartPlacement), screen, workAreaCorner, size);
    *target = AnimationCellCorner(int(settings.EndPlacement), screen, workAreaCorner, size);
    SetWindowRectAt(state, *start, size);
    state->FrameCursor = state->gif.FrameListHead;
    if (!PrepareFrame(state) ||
        !ReplaceBitmap(&state->FullScreenSnapshot, CaptureScreen(state->ActivePalette)) ||
        !ReplaceBitmap(&state->BackgroundSnapshot,
                       CaptureScreenRect(&state->WindowRect, state->ActivePalette)) ||
        !ReplaceBitmap(&state->StageBitmap, CreateDisplayBitmap(size.cx, size.cy)))
        return false;
    StageFromSnapshot(state);
    return true;
}

// The window created at the start cell over the prepared animation, with the first frame
// drawn and the slide's first pass made; false when it could not be.
bool EnterAnimationWindow(ShowWindowState* shown, HINSTANCE instance, int showCommand,
                          Point start, Point target) {
    PresentationState* state = &shown->presentation;
    const Size size = AnimationSize(state);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kAnimationClass, nullptr, WS_POPUP,
                                  start.x, start.y, size.cx, size.cy, nullptr, nullptr,
                                  instance, shown);
    state->StageWindow = window;
    if (!window)
        return false;
    ShowWindow(window, showCommand);
    DrawFirstPicture(state, window);
    RECT placed;
    if (!GetWindowRect(window, &placed))
        return false;
    Slide = StartSlide(start, Point{placed.left, placed.top}, target);
    Entering = true;
    return SlideOnePass(state, window) && WaitForNextPass(window);
}

// What a failed entrance leaves is released; the caller ends the show.
void ReleaseFailedEntrance(PresentationState* state) {
    Entering = false;
    if (state->StageWindow) {
        KillTimer(state->StageWindow, kSlideTimerId);
        StopFrameTimer(state, state->StageWindow);
    }
    ReleaseAnimation(state);
}

}  // namespace

bool CreateAnimationWindow(HINSTANCE instance, int showCommand, const ShowSettings* settings) {
    ShowWindowState* shown = &AnimationWindow;
    shown->settings = settings;
    PresentationState* state = &shown->presentation;
    Point start, target;
    if (PrepareAnimation(state, *settings, &start, &target) &&
        EnterAnimationWindow(shown, instance, showCommand, start, target))
        return true;
    ReleaseFailedEntrance(state);
    return false;
}

bool ContinueEntrance(ShowWindowState* shown, HWND window, UINT_PTR timerId) {
    if (timerId != kSlideTimerId)
        return false;
    PresentationState* state = &shown->presentation;
    // The show ended, or the message window took its place, while the window was on its way.
    if (!Entering || !state->gif.FrameListHead) {
        KillTimer(window, kSlideTimerId);
        Entering = false;
        return true;
    }
    bool ok;
    if (Slide.arrived) {
        KillTimer(window, kSlideTimerId);
        Entering = false;
        ok = ArriveAtEndCell(state, window);
    } else {
        ok = SlideOnePass(state, window) && WaitForNextPass(window);
    }
    if (!ok) {
        ShowWindow(window, SW_HIDE);
        ReleaseFailedEntrance(state);
        AskToAbandonShow();
    }
    return true;
}

bool AnimationIsEntering() {
    return Entering;
}

bool HoldFocusLossUntilArrival(HWND gainingFocus) {
    if (!Entering)
        return false;
    FocusLostOnTheWay = true;
    FocusTakerOnTheWay = gainingFocus;
    return true;
}
