// The common end of every show. The show's windows reach it through show/show_end.h,
// where WinMain installs it.
#pragma once

#include <windows.h>

#include "startup/show_settings.h"

// The show the end operations below end: the program instance (for the About dialog) and
// its settings, which must outlive the message loop. WinMain sets them before the first
// window exists.
void SetShowToEnd(HINSTANCE instance, ShowSettings* settings);

// Stops the frame timer, releases the animation and hides the window; then, from the message
// loop a moment later, runs the About dialog when the package asks for it, stops the sound,
// deletes the temporary files and posts the quit message. Runs once; later calls (a
// window's WM_DESTROY while the process ends) do nothing.
void EndShow(HWND window);
// Ends a show whose first or next window could not be built (the window has already released
// what it loaded): the sound is stopped, the temporary files are deleted and the quit message
// posted, without the About dialog. The one clean-up of every failed start and every failed message window.
void AbandonShow();
bool ShowHasEnded();
// The session ends while the show runs, in whatever stage: the sound is stopped and the
// temporary files are deleted at once, since the process is ended without further notice.
void EndSession();
