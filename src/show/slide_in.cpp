// CreateAnimationWindow: loads the animation, prepares its first frame and the screen
// captures, creates the animation window at its start cell and slides it to its end cell.
//
// Every background piece of the slide is cut from one capture of the whole screen taken
// before the window exists, so the moving window never captures itself.
//
// Owns: AnimationPresentation, the animation window's presentation, handed to the window at
// its creation; released by the end of the show or, when the entrance fails, here.
#include "show/slide_in.h"

#include "gif/showable_screen.h"
#include "present/display_bitmap.h"
#include "present/frame_timer.h"
#include "present/window_classes.h"
#include "render/render_api.h"
#include "show/placement.h"
#include "startup/package_state.h"

namespace {

constexpr DWORD kSlideStepWait = 50;   // milliseconds per pass
constexpr DWORD kArrivalWait = 100;

PresentationState AnimationPresentation;

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

bool SlideToEndCell(PresentationState* state, HWND window, Point start, Point target, Size size) {
    RECT placed;
    if (!GetWindowRect(window, &placed))
        return false;
    SlideState slide = StartSlide(start, Point{placed.left, placed.top}, target);
    ComposedPicture lookAhead = {};
    bool ok = true;
    while (ok && !slide.arrived) {
        SlidePass pass = NextSlideCorner(&slide);
        ok = SlidePassOnScreen(state, window, pass, size, lookAhead);
        Sleep(kSlideStepWait);
        if (ok && !pass.arrived) {
            ReleaseComposedPicture(&lookAhead);
            lookAhead = ComposeFrame(state, window, pass.step.x, pass.step.y);
        }
    }
    ReleaseComposedPicture(&lookAhead);
    return ok;
}

// The animation loaded and its first frame prepared over the screen under the start cell,
// before the window exists; false when any of it could not be made.
bool PrepareAnimation(PresentationState* state, Point* start, Point* target) {
    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0))
        return false;
    Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    state->gif = GifLoader(AnimationFile);
    if (!state->gif.FrameListHead)
        return false;
    const ScreenDescriptorRecord& descriptor = state->gif.ScreenDescriptor;
    Size size{descriptor.screenWidth, descriptor.screenHeight};
    if (!ScreenIsShowable(size.cx, size.cy))
        return false;
    BuildGlobalPalette(state);
    Point workAreaCorner{workArea.left, workArea.top};
    *start = AnimationCellCorner(int(StartPlacement), screen, workAreaCorner, size);
    *target = AnimationCellCorner(int(EndPlacement), screen, workAreaCorner, size);
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

// The window created at the start cell over the prepared animation, slid to the end cell and
// shown there; false when it could not be.
bool EnterAnimationWindow(PresentationState* state, HINSTANCE instance, int showCommand,
                          Point start, Point target) {
    const ScreenDescriptorRecord& descriptor = state->gif.ScreenDescriptor;
    Size size{descriptor.screenWidth, descriptor.screenHeight};
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kAnimationClass, nullptr, WS_POPUP,
                                  start.x, start.y, size.cx, size.cy, nullptr, nullptr, instance, state);
    state->StageWindow = window;
    if (!window)
        return false;
    ShowWindow(window, showCommand);
    DrawFirstPicture(state, window);
    if (!SlideToEndCell(state, window, start, target, size))
        return false;

    Sleep(kArrivalWait);
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
    return true;
}

}  // namespace

bool CreateAnimationWindow(HINSTANCE instance, int showCommand) {
    PresentationState* state = &AnimationPresentation;
    Point start, target;
    if (PrepareAnimation(state, &start, &target) &&
        EnterAnimationWindow(state, instance, showCommand, start, target))
        return true;
    if (state->StageWindow)
        StopFrameTimer(state, state->StageWindow);
    ReleaseAnimation(state);
    return false;
}
