// Where the show's windows stand: the three-by-three grid of screen cells named by
// PlacementCode, the slide-in path of the animation window from its start cell to its end
// cell, and the message window's zoom rectangles and caption rectangle.
//
// Everything here is arithmetic on integers; CreateAnimationWindow and the message window
// call it and do the drawing. Every halving and division truncates toward zero, so a window
// larger than the screen gets negative corners and overhangs both edges.
// Portable: no platform headers.
#pragma once

#include "show/geometry_types.h"

// PlacementCode: 0 centre, 1 top left, 2 middle left, 3 bottom left, 4 top centre,
// 5 bottom centre, 6 top right, 7 middle right, 8 bottom right. A code outside 0..8 (a
// stored value above 9 reaches the player unresolved) is placed at the centre.

// Corner of a window of the given size in a cell of the full screen (message window square
// and About dialog).
Point ScreenCellCorner(int placementCode, Size screen, Size window);

// Corner of the animation window: like ScreenCellCorner, except that the left column starts
// at the work area's left edge and the top-left cell at its top edge, so those cells keep
// clear of a taskbar on the left or top. Right and bottom cells may lie over a taskbar.
Point AnimationCellCorner(int placementCode, Size screen, Point workAreaTopLeft, Size animation);

// Side of the message window square: half the screen height.
int MessageSide(Size screen);
Point MessageCellCorner(int placementCode, Size screen);

// Per-pass distances of the slide: a thirtieth of the way on each axis, or a fifteenth when
// the two thirtieths together come to less than 20 pixels.
Point SlideSteps(Point start, Point target);

// The slide loop's state between passes. StartSlide sets it up; each NextSlideCorner call is
// one pass of the loop in CreateAnimationWindow.
struct SlideState {
    Point origin;     // (X0, Y0): the corner read back from the created window
    Point corner;     // the corner now held in WindowRect
    Point target;     // (x1, y1)
    Point step;       // signed step per axis; the last pass shortens it to what was left
    int index;        // i of the next pass
    bool arrived;     // the last pass put the corner on the target
};

// One pass of the slide loop.
struct SlidePass {
    int index;        // i of this pass, from 0
    Point corner;     // the new corner
    Point step;       // the step as this pass leaves it: corner - step is the previous
                      // corner, and the look-ahead picture is shifted by it
    bool arrived;     // corner == target: no look-ahead, leave the loop after this pass
};

// start: the computed start corner (WindowRect's corner before the first pass);
// readBack: the window's corner as the system reports it after creation, from which the
// uniform steps are counted; target: the end cell's corner. Steps come from start→target.
SlideState StartSlide(Point start, Point readBack, Point target);

// Runs one pass and advances the state. Each axis moves to origin + i × step while a whole
// step still falls short of the target; otherwise it lands on the target and its step
// becomes the distance it just covered (0 once it is there). Call while !state.arrived.
SlidePass NextSlideCorner(SlideState* state);

// MessageZoom: the rectangle the message metafile is played into at ZoomStep 0..4 on a
// client area of cx × cy. It grows from (100, 100) toward the top-left corner by 25 per
// step while its size grows by a fifth of the client size per step.
Rect MessageZoom(int zoomStep, int cx, int cy);

// CaptionRect for a client area of cx × cy. The margins divide before they multiply (0, 30,
// 60, ... by whole 250-pixel blocks); the width and height multiply first.
Rect ComputeCaptionRect(int cx, int cy);
