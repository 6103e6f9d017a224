// State the About dialog and its logo window share while the dialog is open. Defined in
// about_dialog.cpp and logo_window.cpp. Windows only.
#pragma once

#include <windows.h>

extern HWND AboutDialogHandle;   // the open dialog; the logo paint edges the logo on its DC
extern int LogoCaptured;         // 1 once the logo's snapshot and stage are set up; never reset
extern RECT LogoFrameRect;       // the logo window grown by 2 pixels, dialog client coordinates
