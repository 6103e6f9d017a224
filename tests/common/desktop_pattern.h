// The known desktop the tests paint on the root window of their private X display, so that
// a captured or see-through pixel can be checked against what must lie at that place.
// Every pixel of a 1024 x 768 screen differs from its neighbours in at least one component,
// and the blue component tiles in 64-pixel squares, so a shifted or mirrored capture shows.
#pragma once

#include <cstdint>

struct PatternRgb {
    uint8_t r, g, b;
};

inline PatternRgb DesktopPatternRgb(int x, int y) {
    PatternRgb c;
    c.r = uint8_t((x * 5 + y) & 0xFF);
    c.g = uint8_t((y * 3 + x / 4) & 0xFF);
    c.b = ((x / 64 + y / 64) & 1) ? 200 : 40;
    return c;
}

// 0x00RRGGBB, the layout of a 24-bit X image pixel and of a GDI pixel read as RGB.
inline uint32_t DesktopPatternPixel(int x, int y) {
    PatternRgb c = DesktopPatternRgb(x, y);
    return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}
