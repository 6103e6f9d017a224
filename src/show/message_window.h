// The message window: the metafile zoom and the caption that close the show.
#pragma once

#include <windows.h>

#include "show/show_window.h"

// Hides the animation window and, once what lay behind it has had a moment to repaint, opens
// the message window at the end cell (from a timer on the animation window). Without a
// message the show ends instead. A second call is ignored.
void OpenMessageWindow(ShowWindowState* animation, HWND animationWindow);

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Deletes MessageSnapshot (its device context and bitmap); nothing when it was never made.
// The window calls it itself before it asks for the end of the show.
void ReleaseMessageSnapshot();
