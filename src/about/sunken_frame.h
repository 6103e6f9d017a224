// The sunken edge the logo paint draws round the logo on the About dialog.
#pragma once

#include <windows.h>

// Two rings round the rectangle: shadow colours on its top and left, light colours on its
// bottom and right. The outer ring lies on the rectangle's edge, the inner one just inside.
void DrawSunkenFrame(HDC dc, const RECT* rect);
