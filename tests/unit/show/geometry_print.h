// GoogleTest printers for the geometry types, so a failed comparison shows coordinates.
#pragma once

#include "show/geometry_types.h"

#include <ostream>

inline void PrintTo(Point p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(Size s, std::ostream* os) { *os << s.cx << " x " << s.cy; }
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
