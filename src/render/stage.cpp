// A presentation's StageBitmap, the canvas under the next frame, and how each disposal
// method leaves it.
//
// Owns: the contents of StageBitmap (its creation and deletion belong to the window set-up
// and ReleaseDrawingObjects). Nothing here reads through a missing bitmap: with no stage or
// no snapshot the stage is left as it is.
#include "render/render_api.h"

namespace {

int WindowWidth(const PresentationState* state) {
    return state->WindowRect.right - state->WindowRect.left;
}

int WindowHeight(const PresentationState* state) {
    return state->WindowRect.bottom - state->WindowRect.top;
}

RECT WholeWindow(const PresentationState* state) {
    return {0, 0, WindowWidth(state), WindowHeight(state)};
}

// Copies the area of source into the same area of StageBitmap, through a memory context
// compatible with reference that has ActivePalette realised.
void CopyIntoStage(const PresentationState* state, HDC reference, HDC source, const RECT& area) {
    HDC stageDc = CreateCompatibleDC(reference);
    if (!stageDc)
        return;
    HGDIOBJ previous = SelectObject(stageDc, state->StageBitmap);
    HPALETTE replaced = SelectAndRealisePalette(stageDc, state->ActivePalette);
    BitBlt(stageDc, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
           area.left, area.top, SRCCOPY);
    RestorePalette(stageDc, replaced, kRestoreAsForeground);
    SelectObject(stageDc, previous);
    DeleteDC(stageDc);
}

// Puts the area of BackgroundSnapshot back into the stage.
void CopySnapshotIntoStage(const PresentationState* state, const RECT& area) {
    if (!state->BackgroundSnapshot || !state->StageBitmap)
        return;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return;
    HDC snapshotDc = CreateCompatibleDC(display);
    if (snapshotDc) {
        HGDIOBJ previous = SelectObject(snapshotDc, state->BackgroundSnapshot);
        CopyIntoStage(state, display, snapshotDc, area);
        SelectObject(snapshotDc, previous);
        DeleteDC(snapshotDc);
    }
    DeleteDC(display);
}

// The leaving frame's rectangle in window coordinates, clipped to the window; false when
// nothing of it lies inside.
bool LeavingFrameRect(const PresentationState* state, RECT* area) {
    if (!state->FrameCursor || !state->FrameCursor->image)
        return false;
    const FrameImage* frame = state->FrameCursor->image;
    RECT frameRect = {frame->left, frame->top, frame->left + frame->width,
                      frame->top + frame->height};
    RECT window = WholeWindow(state);
    return IntersectRect(area, &frameRect, &window) != 0;
}

}  // namespace

void StageFromSnapshot(PresentationState* state) {
    CopySnapshotIntoStage(state, WholeWindow(state));
}

void StageFromWindow(PresentationState* state, HWND window) {
    if (!state->StageBitmap)
        return;
    HDC windowDc = GetDC(window);
    if (!windowDc)
        return;
    // What the screen shows in the window's area, the frame that is leaving included.
    CopyIntoStage(state, windowDc, windowDc, WholeWindow(state));
    ReleaseDC(window, windowDc);
}

void ApplyDisposal(PresentationState* state, int disposal) {
    if (disposal == 0 || disposal == 1) {
        StageFromWindow(state, state->StageWindow);  // the leaving frame stays under the next one
    } else if (disposal == 2) {
        // Only the leaving frame's own area shows the screen under the window again; the
        // rest of the window stays as it is shown.
        StageFromWindow(state, state->StageWindow);
        RECT area;
        if (LeavingFrameRect(state, &area))
            CopySnapshotIntoStage(state, area);
    }
    // Below 0, and 3 (restore to previous) and above: the stage still holds what lay
    // under the leaving frame, so there is nothing to do.
}
