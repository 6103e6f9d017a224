// PresentationState: what one presenting window (the animation, message or logo window)
// presents and how far it has got: the GIF it plays, its screen rectangle and the screen under
// it, its composition canvas, the current frame's DIB and palettes, and the pacing of its
// frame timer. Each window owns one and hands it to the rendering operations (render_api.h)
// and to the frame timer (present/frame_timer.h); nothing else keeps a presentation.
//
// Ownership: gif (the frame list), BackgroundSnapshot, FullScreenSnapshot, StageBitmap,
// CurrentFrameDib, GlobalPalette and FramePalette are owned and freed together by
// ReleaseAnimation. ActivePalette is an alias of GlobalPalette or FramePalette and is never
// deleted through its own name. FrameCursor points into gif's frame list. A bitmap is only
// ever replaced through ReplaceBitmap (present/display_bitmap.h), so the one it replaces is
// deleted. An all-zero state is empty. Windows only.
#pragma once

#include <windows.h>

#include "gif/gif_loader.h"

struct PresentationState {
    LoadedGif gif;                // ScreenDescriptor and FrameListHead of the GIF played
    RECT WindowRect;              // screen rectangle of the presenting window
    HWND StageWindow;             // the presenting window
    HBITMAP BackgroundSnapshot;   // the screen under WindowRect before the window drew
    HBITMAP FullScreenSnapshot;   // the whole screen before the window appeared
    HBITMAP StageBitmap;          // what lies under the next frame, WindowRect's size
    FrameNode* FrameCursor;       // the frame now shown; null when none
    HGLOBAL CurrentFrameDib;      // FrameCursor's frame as a packed DIB; null when none
    HPALETTE GlobalPalette;       // palette of the GIF's global colour table
    HPALETTE FramePalette;        // palette of the current frame's own table, if it has one
    HPALETTE ActivePalette;       // GlobalPalette or FramePalette; not owned
    bool FrameHasTransparency;    // the current frame has a transparent index
    // The frame timer's pacing (present/frame_timer.h).
    UINT_PTR TimerId;             // 0 when the timer is not running
    bool TimerArmed;              // false until the first accepted tick or activation
    DWORD LastAdvanceTick;        // FrameClockNow() at the timer's start, then the due time
                                  // of every advance
    bool FocusRefreshPending;     // hidden after a focus loss, until the refresh timer's tick
};
