// SlidePath: every pass of the slide loop from StartSlide to arrival, in order, as
// CreateAnimationWindow runs them one at a time. Equal start and target give one pass.
#pragma once

#include <vector>

#include "show/placement.h"

inline std::vector<SlidePass> SlidePath(Point start, Point readBack, Point target) {
    // Ends: an axis either lands on its target or moves by a whole step toward it each pass.
    std::vector<SlidePass> path;
    SlideState state = StartSlide(start, readBack, target);
    do {
        path.push_back(NextSlideCorner(&state));
    } while (!state.arrived);
    return path;
}
