// AboutState: what the About dialog and its logo window share while the dialog is open. The
// caller of the dialog owns it and hands it over as the dialog's creation parameter; the
// dialog hands it on to the logo window. Windows only.
#pragma once

#include <windows.h>

#include "render/render_state.h"

struct AboutState {
    // From the show's settings, set by whoever opens the dialog.
    unsigned EndPlacement;     // the cell the dialog moves to
    const wchar_t* LogoFile;   // the logo's temporary file; null: no logo
    PresentationState logo;    // the logo window's presentation; released when the dialog closes
    HWND AboutDialogHandle;    // the open dialog; the logo paint edges the logo on its DC
    bool LogoCaptured;         // once the logo's snapshot and stage are set up; never reset
    RECT LogoFrameRect;        // the logo window grown by 2 pixels, dialog client coordinates
};
