// The message window: the metafile zoom and the caption that close the show.
#pragma once

#include <windows.h>

// Hides the animation window and opens the message window at the end cell. A second call
// is ignored.
void OpenMessageWindow(HWND animationWindow);
LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Deletes MessageSnapshot (its device context and bitmap); nothing when it was never made.
// The window calls it itself before it asks for the end of the show.
void ReleaseMessageSnapshot();
