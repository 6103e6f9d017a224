// Module-level rendering state shared by the presenting windows: the one window that shows
// a GIF at a time, the screen under it, its composition canvas and the current frame's DIB
// and palettes. Defined in render_state.cpp; the rendering operations, the animation and
// message windows and the About dialog read and set it.
//
// Ownership: BackgroundSnapshot, FullScreenSnapshot, StageBitmap, CurrentFrameDib,
// GlobalPalette and FramePalette are owned here and freed by ReleaseAnimation (through
// ReleaseDrawingObjects). ActivePalette is an alias of GlobalPalette or FramePalette and is
// never deleted through its own name. FrameCursor points into the list at FrameListHead.
// Windows only.
#pragma once

#include <windows.h>

#include "gif/gif_loader.h"

extern RECT WindowRect;             // screen rectangle of the presenting window
extern HWND StageWindow;            // the presenting window
extern HBITMAP BackgroundSnapshot;  // the screen under WindowRect before the window drew
extern HBITMAP FullScreenSnapshot;  // the whole screen before the window appeared
extern HBITMAP StageBitmap;         // what lies under the next frame, WindowRect's size
extern FrameNode* FrameCursor;      // the frame now shown; null when none
extern HGLOBAL CurrentFrameDib;     // FrameCursor's frame as a packed DIB; null when none
extern HPALETTE GlobalPalette;      // palette of the loaded GIF's global colour table
extern HPALETTE FramePalette;       // palette of the current frame's own table, if it has one
extern HPALETTE ActivePalette;      // GlobalPalette or FramePalette; not owned
extern int FrameHasTransparency;    // 1 when the current frame has a transparent index
