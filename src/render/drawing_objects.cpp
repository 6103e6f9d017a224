// ReleaseAnimation: a presentation's frame list and the long-lived drawing objects made from
// it, released together. ReleaseDrawingObjects frees the objects after the list; each is
// released only when set and set to null, so a second call does nothing.
//
// Also clears FrameCursor, which pointed into the freed list.
// Owns: the release of GlobalPalette, FramePalette, CurrentFrameDib, BackgroundSnapshot,
// FullScreenSnapshot and StageBitmap. ActivePalette is only cleared: it names one of the
// two palettes deleted here.
#include "render/render_api.h"

namespace {

void DeleteBitmap(HBITMAP* bitmap) {
    if (*bitmap) {
        DeleteObject(*bitmap);
        *bitmap = nullptr;
    }
}

void DeletePalette(HPALETTE* palette) {
    if (*palette) {
        DeleteObject(*palette);
        *palette = nullptr;
    }
}

}  // namespace

void ReleaseDrawingObjects(PresentationState* state) {
    // The list the cursor pointed into has just been freed.
    state->FrameCursor = nullptr;
    DeletePalette(&state->GlobalPalette);
    DeletePalette(&state->FramePalette);
    state->ActivePalette = nullptr;
    if (state->CurrentFrameDib) {
        GlobalFree(state->CurrentFrameDib);
        state->CurrentFrameDib = nullptr;
    }
    DeleteBitmap(&state->BackgroundSnapshot);
    DeleteBitmap(&state->FullScreenSnapshot);
    DeleteBitmap(&state->StageBitmap);
}

void ReleaseAnimation(PresentationState* state) {
    FreeLoadedGif(&state->gif);
    ReleaseDrawingObjects(state);
}
