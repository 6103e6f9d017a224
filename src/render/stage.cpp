// StageBitmap, the canvas under the next frame, and how each disposal method leaves it.
//
// Owns: the contents of StageBitmap (its creation and deletion belong to the window set-up
// and ReleaseDrawingObjects). Nothing here reads through a missing bitmap: with no stage or
// no snapshot the stage is left as it is.
#include "render/render_api.h"

namespace {

int WindowWidth() {
    return WindowRect.right - WindowRect.left;
}

int WindowHeight() {
    return WindowRect.bottom - WindowRect.top;
}

RECT WholeWindow() {
    return {0, 0, WindowWidth(), WindowHeight()};
}

// Copies the area of source into the same area of StageBitmap, through a memory context
// compatible with reference that has ActivePalette realised.
void CopyIntoStage(HDC reference, HDC source, const RECT& area) {
    HDC stageDc = CreateCompatibleDC(reference);
    if (!stageDc)
        return;
    HGDIOBJ previous = SelectObject(stageDc, StageBitmap);
    HPALETTE replaced = SelectAndRealisePalette(stageDc, ActivePalette);
    BitBlt(stageDc, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
           area.left, area.top, SRCCOPY);
    RestorePalette(stageDc, replaced, kRestoreAsForeground);
    SelectObject(stageDc, previous);
    DeleteDC(stageDc);
}

// Puts the area of BackgroundSnapshot back into the stage.
void CopySnapshotIntoStage(const RECT& area) {
    if (!BackgroundSnapshot || !StageBitmap)
        return;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return;
    HDC snapshotDc = CreateCompatibleDC(display);
    if (snapshotDc) {
        HGDIOBJ previous = SelectObject(snapshotDc, BackgroundSnapshot);
        CopyIntoStage(display, snapshotDc, area);
        SelectObject(snapshotDc, previous);
        DeleteDC(snapshotDc);
    }
    DeleteDC(display);
}

// The leaving frame's rectangle in window coordinates, clipped to the window; false when
// nothing of it lies inside.
bool LeavingFrameRect(RECT* area) {
    if (!FrameCursor || !FrameCursor->image)
        return false;
    const FrameImage* frame = FrameCursor->image;
    RECT frameRect = {frame->left, frame->top, frame->left + frame->width,
                      frame->top + frame->height};
    RECT window = WholeWindow();
    return IntersectRect(area, &frameRect, &window) != 0;
}

}  // namespace

void StageFromSnapshot() {
    CopySnapshotIntoStage(WholeWindow());
}

void StageFromWindow(HWND window) {
    if (!StageBitmap)
        return;
    HDC windowDc = GetDC(window);
    if (!windowDc)
        return;
    // What the screen shows in the window's area, the frame that is leaving included.
    CopyIntoStage(windowDc, windowDc, WholeWindow());
    ReleaseDC(window, windowDc);
}

void ApplyDisposal(int disposal) {
    if (disposal == 0 || disposal == 1) {
        StageFromWindow(StageWindow);  // the leaving frame stays under the next one
    } else if (disposal == 2) {
        // Only the leaving frame's own area shows the screen under the window again; the
        // rest of the window stays as it is shown.
        StageFromWindow(StageWindow);
        RECT area;
        if (LeavingFrameRect(&area))
            CopySnapshotIntoStage(area);
    }
    // Below 0, and 3 (restore to previous) and above: the stage still holds what lay
    // under the leaving frame, so there is nothing to do.
}
