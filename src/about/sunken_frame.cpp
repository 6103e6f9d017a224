// DrawSunkenFrame: the two-pixel 3D edge the logo paint draws round the logo on the About
// dialog's context. One-pixel lines in four system colours; LineTo leaves each end point
// undrawn, which is why the coordinates run one pixel past the corners they finish.
#include "about/sunken_frame.h"

namespace {

struct FrameLine {
    int colour;
    POINT from1, to1;   // first line
    POINT from2, to2;   // second line, from the same corner
};

void DrawLine(HDC dc, POINT from, POINT to) {
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
}

}  // namespace

void DrawSunkenFrame(HDC dc, const RECT* rect) {
    if (!dc || !rect)
        return;
    const LONG l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    const FrameLine lines[4] = {
        {COLOR_BTNSHADOW, {l, t}, {r - 1, t}, {l, t}, {l, b - 1}},
        {COLOR_3DDKSHADOW, {l + 1, t + 1}, {r - 2, t + 1}, {l + 1, t + 1}, {l + 1, b - 2}},
        {COLOR_BTNHIGHLIGHT, {r - 1, b - 1}, {r - 1, t - 1}, {r - 1, b - 1}, {l - 1, b - 1}},
        {COLOR_3DLIGHT, {r - 2, b - 2}, {r - 2, t}, {r - 2, b - 2}, {l, b - 2}},
    };
    HGDIOBJ original = nullptr;
    HPEN current = nullptr;
    for (const FrameLine& line : lines) {
        HPEN pen = CreatePen(PS_SOLID, 0, GetSysColor(line.colour));
        if (!pen)
            continue;
        HGDIOBJ replaced = SelectObject(dc, pen);
        if (!replaced) {
            DeleteObject(pen);
            continue;
        }
        if (!original)
            original = replaced;
        if (current)
            DeleteObject(current);
        current = pen;
        DrawLine(dc, line.from1, line.to1);
        DrawLine(dc, line.from2, line.to2);
    }
    if (original)
        SelectObject(dc, original);
    if (current)
        DeleteObject(current);
}
