// Plain integer geometry shared by the placement, slide, zoom and About layout arithmetic.
// The Win32 side copies these to and from RECT, POINT and SIZE at its edges.
// Portable: no platform headers.
#pragma once

struct Point {
    int x;
    int y;
};

struct Size {
    int cx;
    int cy;
};

struct Rect {
    int left;
    int top;
    int right;    // exclusive, as in the window rectangles it mirrors
    int bottom;
};

inline bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(Point a, Point b) { return !(a == b); }
inline bool operator==(Size a, Size b) { return a.cx == b.cx && a.cy == b.cy; }
inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
