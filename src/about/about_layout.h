// Layout of the About dialog around a packaged logo: where the dialog goes on the screen by
// EndPlacement, its new size, where its controls move, where the logo window sits and the
// LogoFrameRect edged around it.
//
// The dialog initialisation reads the rectangles from the system, calls ComputeAboutLayout
// and applies the result with SetWindowPos. Portable: no platform headers.
#pragma once

#include "show/geometry_types.h"

// The dialog's corner for an EndPlacement cell on the full screen (not the work area). A
// placement outside 0..8 centres the dialog.
Point AboutDialogCorner(int endPlacement, Size screen, Size dialog);

// What the initialisation has read, all before the dialog is moved.
struct AboutLayoutInput {
    Rect dialog;         // the dialog's window rectangle, screen coordinates
    Rect banner;         // item 1002, screen coordinates; the logo takes its top-left
    Rect credit;         // item 1005
    Rect okButton;       // item 1 (OK)
    Rect line;           // item 1009
    Rect notice;         // item 1010
    Size logo;           // W × H: the logo's logical screen size
    int dialogFrameX;    // SM_CXDLGFRAME
    int dialogFrameY;    // SM_CYDLGFRAME
    int captionHeight;   // SM_CYCAPTION
    Size screen;         // SM_CXSCREEN, SM_CYSCREEN
    int endPlacement;    // EndPlacement
};

// Where everything goes. Control rectangles are in the dialog's client coordinates.
struct AboutLayout {
    Point dialogCorner;  // the dialog's new top-left on the screen
    Size dialogSize;     // the dialog's size grown by the logo's excess over the banner
    Rect credit;         // 1005, 1009 and 1010 stretch right by dx and move down by dy
    Rect line;
    Rect notice;
    Rect okButton;       // moved right by dx / 2 and down by dy, size kept
    Point logoClient;    // (lx, ly): the logo window's place, the banner's top-left
    Rect logoFrame;      // LogoFrameRect: the logo window grown by 2 on every side
    Rect logoScreen;     // WindowRect: the logo window on the screen, dialog at its new corner
};

// dx = W − banner width and dy = H − banner height; either may be negative. A logo of the
// banner's pixel size leaves the size and every control as they were.
AboutLayout ComputeAboutLayout(const AboutLayoutInput& input);
