// The About dialog's placement and its layout around the logo (see about_layout.h).
#include "about/about_layout.h"

#include "show/placement.h"

namespace {

// Screen rectangle of a control to the dialog's client coordinates, with the dialog as it
// stood when the rectangles were read.
Rect ToClient(const Rect& r, Point clientOrigin) {
    return {r.left - clientOrigin.x, r.top - clientOrigin.y,
            r.right - clientOrigin.x, r.bottom - clientOrigin.y};
}

Rect Stretched(const Rect& r, int dx, int dy) {
    return {r.left, r.top + dy, r.right + dx, r.bottom + dy};
}

Rect Moved(const Rect& r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace

Point AboutDialogCorner(int endPlacement, Size screen, Size dialog) {
    // The About table is the full-screen grid that also places the message window.
    return ScreenCellCorner(endPlacement, screen, dialog);
}

AboutLayout ComputeAboutLayout(const AboutLayoutInput& in) {
    const int dx = in.logo.cx - (in.banner.right - in.banner.left);
    const int dy = in.logo.cy - (in.banner.bottom - in.banner.top);
    const Point clientOffset = {in.dialogFrameX, in.dialogFrameY + in.captionHeight};
    const Point clientOrigin = {in.dialog.left + clientOffset.x, in.dialog.top + clientOffset.y};

    AboutLayout out;
    out.dialogSize = {in.dialog.right - in.dialog.left + dx, in.dialog.bottom - in.dialog.top + dy};
    out.dialogCorner = AboutDialogCorner(in.endPlacement, in.screen, out.dialogSize);
    out.credit = Stretched(ToClient(in.credit, clientOrigin), dx, dy);
    out.line = Stretched(ToClient(in.line, clientOrigin), dx, dy);
    out.notice = Stretched(ToClient(in.notice, clientOrigin), dx, dy);
    out.okButton = Moved(ToClient(in.okButton, clientOrigin), dx / 2, dy);

    const Rect banner = ToClient(in.banner, clientOrigin);
    out.logoClient = {banner.left, banner.top};
    out.logoFrame = {banner.left - 2, banner.top - 2,
                     banner.left + in.logo.cx + 2, banner.top + in.logo.cy + 2};
    const Point screenOrigin = {out.dialogCorner.x + clientOffset.x + banner.left,
                                out.dialogCorner.y + clientOffset.y + banner.top};
    out.logoScreen = {screenOrigin.x, screenOrigin.y,
                      screenOrigin.x + in.logo.cx, screenOrigin.y + in.logo.cy};
    return out;
}
