// State the About dialog and its logo window share while the dialog is open, and the web
// address the logo opens. Defined in about_dialog.cpp and logo_window.cpp. Windows only.
#pragma once

#include <windows.h>

extern HWND AboutDialogHandle;   // the open dialog; the logo paint edges the logo on its DC
extern int LogoCaptured;         // 1 once the logo's snapshot and stage are set up; never reset
extern RECT LogoFrameRect;       // the logo window grown by 2 pixels, dialog client coordinates

// The address a click on the logo opens; set at build time (REELBOX_WEB_ADDRESS).
extern const char LogoWebAddress[];

// Two rings round the rectangle: shadow colours on its top and left, light colours on its
// bottom and right. The outer ring lies on the rectangle's edge, the inner one just inside.
void DrawSunkenFrame(HDC dc, const RECT* rect);
