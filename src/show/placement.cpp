// The screen grid, the slide-in path and the message window rectangles (see placement.h).
#include "show/placement.h"

#include <cstdlib>

namespace {

// The grid in one place. leftColumnX is where the left column starts and topLeftY where the
// top-left cell starts; all other cells are measured from the screen's edges.
Point CellCorner(int placementCode, Size screen, Size window, int leftColumnX, int topLeftY) {
    const int centreX = (screen.cx - window.cx) / 2;
    const int middleY = (screen.cy - window.cy) / 2;
    const int rightX = screen.cx - window.cx;
    const int bottomY = screen.cy - window.cy;
    switch (placementCode) {
    case 1: return {leftColumnX, topLeftY};
    case 2: return {leftColumnX, middleY};
    case 3: return {leftColumnX, bottomY};
    case 4: return {centreX, 0};
    case 5: return {centreX, bottomY};
    case 6: return {rightX, 0};
    case 7: return {rightX, middleY};
    case 8: return {rightX, bottomY};
    default: return {centreX, middleY};   // 0, and any code that names no cell
    }
}

// One axis of a slide pass. Returns the new coordinate; *step becomes the last, shortened
// step when the axis lands on its target.
int SlideAxis(int origin, int current, int target, int index, int* step) {
    if ((*step >= 1 && current + *step < target) || (*step <= -1 && current + *step > target)) {
        return origin + index * *step;
    }
    *step = target - current;
    return target;
}

}  // namespace

Point ScreenCellCorner(int placementCode, Size screen, Size window) {
    return CellCorner(placementCode, screen, window, 0, 0);
}

Point AnimationCellCorner(int placementCode, Size screen, Point workAreaTopLeft, Size animation) {
    return CellCorner(placementCode, screen, animation, workAreaTopLeft.x, workAreaTopLeft.y);
}

int MessageSide(Size screen) {
    return screen.cy / 2;
}

Point MessageCellCorner(int placementCode, Size screen) {
    const int side = MessageSide(screen);
    return ScreenCellCorner(placementCode, screen, {side, side});
}

Point SlideSteps(Point start, Point target) {
    const int dx = target.x - start.x;
    const int dy = target.y - start.y;
    Point step = {dx / 30, dy / 30};
    if (std::abs(step.x) + std::abs(step.y) < 20) {
        step = {dx / 15, dy / 15};
    }
    return step;
}

SlideState StartSlide(Point start, Point readBack, Point target) {
    SlideState state;
    state.origin = readBack;
    state.corner = start;
    state.target = target;
    state.step = SlideSteps(start, target);
    state.index = 0;
    state.arrived = false;
    return state;
}

SlidePass NextSlideCorner(SlideState* state) {
    // Both axes decide from the corner before this pass.
    const Point before = state->corner;
    const int i = state->index;
    state->corner.x = SlideAxis(state->origin.x, before.x, state->target.x, i, &state->step.x);
    state->corner.y = SlideAxis(state->origin.y, before.y, state->target.y, i, &state->step.y);
    state->index = i + 1;
    state->arrived = state->corner == state->target;
    return {i, state->corner, state->step, state->arrived};
}

Rect MessageZoom(int zoomStep, int cx, int cy) {
    const int inset = 25 * (4 - zoomStep);
    const int fifths = zoomStep + 1;
    return {inset, inset, inset + (cx / 5) * fifths, inset + (cy / 5) * fifths};
}

Rect ComputeCaptionRect(int cx, int cy) {
    const int left = (cx / 250) * 30;
    const int top = (cy / 250) * 30;
    return {left, top, left + (cx * 170) / 250, top + (cy * 170) / 250};
}
