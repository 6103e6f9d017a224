// Module-level rendering state shared by the presenting windows: the one window that shows
// a GIF at a time, the screen under it, its composition canvas and the current frame's DIB
// and palettes. Defined in render_state.cpp; the rendering operations, the animation and
// message windows and the About dialog read and set it.
//
// Ownership: BackgroundSnapshot, FullScreenSnapshot, StageBitmap, CurrentFrameDib,
// GlobalPalette and FramePalette are owned here and freed by ReleaseAnimation (through
// ReleaseDrawingObjects). ActivePalette is an alias of GlobalPalette or FramePalette and is
// never deleted through its own name. FrameCursor points into the list at FrameListHead.
//
// Writers. One window presents at a time, and only the code that sets that window up (or
// moves it, or refreshes it) writes the window state; a bitmap is only ever replaced through
// ReplaceBitmap (present/display_bitmap.h), so the one it replaces is deleted.
//   WindowRect, StageWindow: CreateAnimationWindow (show/slide_in.cpp, also every slide
//       pass), OpenMessageWindow (show/message_window.cpp), InitAboutDialog
//       (about/about_dialog.cpp).
//   FrameCursor: the same three set-ups (the first frame, or null for the message window);
//       ChangeFrame (present/frame_timer.cpp) on every frame change; AdvanceFrame
//       (show/animation_window.cpp) clears it at the end of the list; ReleaseDrawingObjects
//       clears it.
//   BackgroundSnapshot: the three set-ups, the slide passes, CaptureUnderLogo
//       (about/logo_window.cpp) and RefreshAfterFocusLoss (present/focus_refresh.cpp).
//   FullScreenSnapshot: CreateAnimationWindow and OpenMessageWindow.
//   StageBitmap: the handle by the three set-ups and CaptureUnderLogo; its pixels by the
//       stage operations (stage.cpp) alone.
//   CurrentFrameDib, FramePalette, ActivePalette, FrameHasTransparency: PrepareFrame and
//       ReleaseFrame (frame_preparation.cpp); GlobalPalette: BuildGlobalPalette, which also
//       moves the ActivePalette alias to the new palette.
//   Every handle is deleted and cleared by ReleaseDrawingObjects (drawing_objects.cpp).
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
