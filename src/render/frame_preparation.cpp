// A presentation's current frame's drawing objects: CurrentFrameDib, FramePalette,
// ActivePalette and FrameHasTransparency for the frame at FrameCursor, made once per frame
// change.
//
// Owns: CurrentFrameDib and FramePalette between frame changes. ActivePalette only ever
// names GlobalPalette or FramePalette and is cleared whenever the palette it names goes.
#include "render/dib_layout.h"
#include "render/render_api.h"

namespace {

void DeleteFramePalette(PresentationState* state) {
    if (!state->FramePalette)
        return;
    if (state->ActivePalette == state->FramePalette)
        state->ActivePalette = nullptr;
    DeleteObject(state->FramePalette);
    state->FramePalette = nullptr;
}

void FreeCurrentFrameDib(PresentationState* state) {
    if (!state->CurrentFrameDib)
        return;
    GlobalFree(state->CurrentFrameDib);
    state->CurrentFrameDib = nullptr;
}

}  // namespace

int PrepareFrame(PresentationState* state) {
    if (!state->FrameCursor || !state->FrameCursor->image)
        return 0;
    const FrameImage* frame = state->FrameCursor->image;
    FreeCurrentFrameDib(state);
    DeleteFramePalette(state);

    const ScreenDescriptorRecord& screen = state->gif.ScreenDescriptor;
    state->CurrentFrameDib = BuildFrameDib(frame, screen);
    if (!state->CurrentFrameDib)
        return 0;
    if (frame->usesGlobalTable) {
        state->ActivePalette = state->GlobalPalette;
    } else if (FrameDibColourCount(frame, screen) > 0) {
        state->FramePalette = PaletteFromDib(state->CurrentFrameDib);
        state->ActivePalette = state->FramePalette;
    } else {
        // An own table without colours: the DIB has no table to build a palette from, and
        // the frame is not drawn (the window shows the stage alone).
        state->ActivePalette = nullptr;
    }
    state->FrameHasTransparency = frame->transparentIndex != -1;
    return 1;
}

void ReleaseFrame(PresentationState* state) {
    DeleteFramePalette(state);
    FreeCurrentFrameDib(state);
}
