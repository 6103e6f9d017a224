// The current frame's drawing objects: CurrentFrameDib, FramePalette, ActivePalette and
// FrameHasTransparency for the frame at FrameCursor, made once per frame change.
//
// Owns: CurrentFrameDib and FramePalette between frame changes. ActivePalette only ever
// names GlobalPalette or FramePalette and is cleared whenever the palette it names goes.
#include "render/dib_layout.h"
#include "render/render_api.h"

namespace {

void DeleteFramePalette() {
    if (!FramePalette)
        return;
    if (ActivePalette == FramePalette)
        ActivePalette = nullptr;
    DeleteObject(FramePalette);
    FramePalette = nullptr;
}

void FreeCurrentFrameDib() {
    if (!CurrentFrameDib)
        return;
    GlobalFree(CurrentFrameDib);
    CurrentFrameDib = nullptr;
}

}  // namespace

int PrepareFrame() {
    if (!FrameCursor || !FrameCursor->image)
        return 0;
    const FrameImage* frame = FrameCursor->image;
    FreeCurrentFrameDib();
    DeleteFramePalette();

    CurrentFrameDib = BuildFrameDib(frame);
    if (!CurrentFrameDib)
        return 0;
    if (frame->usesGlobalTable) {
        ActivePalette = GlobalPalette;
    } else if (FrameDibColourCount(frame, ScreenDescriptor) > 0) {
        FramePalette = PaletteFromDib(CurrentFrameDib);
        ActivePalette = FramePalette;
    } else {
        // An own table without colours: the DIB has no table to build a palette from, and
        // the frame is not drawn (the window shows the stage alone).
        ActivePalette = nullptr;
    }
    FrameHasTransparency = frame->transparentIndex == -1 ? 0 : 1;
    return 1;
}

void ReleaseFrame() {
    DeleteFramePalette();
    FreeCurrentFrameDib();
}
