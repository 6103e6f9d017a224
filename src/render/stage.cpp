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

}  // namespace

void StageFromSnapshot() {
    if (!BackgroundSnapshot || !StageBitmap)
        return;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return;
    HDC snapshotDc = CreateCompatibleDC(display);
    HDC stageDc = CreateCompatibleDC(display);
    if (snapshotDc && stageDc) {
        HGDIOBJ snapshotPrevious = SelectObject(snapshotDc, BackgroundSnapshot);
        HGDIOBJ stagePrevious = SelectObject(stageDc, StageBitmap);
        HPALETTE replaced = nullptr;
        if (ActivePalette) {
            replaced = SelectPalette(stageDc, ActivePalette, FALSE);
            RealizePalette(stageDc);
        }
        BitBlt(stageDc, 0, 0, WindowWidth(), WindowHeight(), snapshotDc, 0, 0, SRCCOPY);
        if (replaced)
            SelectPalette(stageDc, replaced, FALSE);
        SelectObject(stageDc, stagePrevious);
        SelectObject(snapshotDc, snapshotPrevious);
    }
    if (stageDc)
        DeleteDC(stageDc);
    if (snapshotDc)
        DeleteDC(snapshotDc);
    DeleteDC(display);
}

void StageFromWindow(HWND window) {
    if (!StageBitmap)
        return;
    HDC windowDc = GetDC(window);
    if (!windowDc)
        return;
    HDC stageDc = CreateCompatibleDC(windowDc);
    if (stageDc) {
        HGDIOBJ previous = SelectObject(stageDc, StageBitmap);
        HPALETTE replaced = nullptr;
        if (ActivePalette) {
            replaced = SelectPalette(stageDc, ActivePalette, FALSE);
            RealizePalette(stageDc);
        }
        // What the screen shows in the window's area, the frame that is leaving included.
        BitBlt(stageDc, 0, 0, WindowWidth(), WindowHeight(), windowDc, 0, 0, SRCCOPY);
        if (replaced)
            SelectPalette(stageDc, replaced, FALSE);
        SelectObject(stageDc, previous);
        DeleteDC(stageDc);
    }
    ReleaseDC(window, windowDc);
}

void ApplyDisposal(int disposal) {
    if (disposal == 0 || disposal == 1)
        StageFromWindow(StageWindow);  // the leaving frame stays under the next one
    else if (disposal == 2)
        StageFromSnapshot();           // the screen under the window shows through again
    // Below 0, and 3 (restore to previous) and above: the stage still holds what lay
    // under the leaving frame, so there is nothing to do.
}
