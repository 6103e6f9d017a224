// The About dialog with its looping logo (the logo window: logo_window.h).
#pragma once

#include <windows.h>

// The dialog's creation parameter (DialogBoxParam's last argument) is the AboutState
// (about_state.h) it works on, which must outlive the dialog.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
