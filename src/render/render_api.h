// The rendering operations the presenting windows call: frames to packed DIBs and
// palettes, screen capture, the stage and its disposal methods, the current frame's
// preparation, mask-based transparent drawing and the off-screen composition of stage and
// frame. They work on the presentation state they are handed (render_state.h). Windows only.
//
// Every operation answers 1/0, a handle or null. What an operation returns belongs to the
// caller; GDI objects made inside an operation are deleted before it returns.
#pragma once

#include <windows.h>

#include "gif/frame_image.h"
#include "render/render_state.h"

// --- DIB conversion (dib_conversion.cpp) ---
// A FrameDib of the frame, whose global table is the screen's, in movable, zero-initialised
// global memory (free with GlobalFree); null for a null frame or when memory runs out.
HGLOBAL BuildFrameDib(const FrameImage* frame, const ScreenDescriptorRecord& screen);
// Inspection of a locked packed DIB.
WORD DibColourCount(const BITMAPINFOHEADER* header);
WORD DibColourTableSize(const BITMAPINFOHEADER* header);
BYTE* DibBits(const BITMAPINFOHEADER* header);
LONG DibHeight(const BITMAPINFOHEADER* header);
// Draws the DIB's source rectangle to the destination rectangle; the scan-line count of the
// drawing call, 0 for a null DIB or one without a colour table.
int DrawDib(HDC dc, const RECT* destination, HGLOBAL dib, const RECT* source, HPALETTE palette);

// --- Palette selection (palette_selection.cpp) ---
// Selects the palette into the context as a foreground palette; the palette it replaced,
// null for a null context or palette or a failed selection (nothing to restore then).
HPALETTE SelectForegroundPalette(HDC dc, HPALETTE palette);
// The same, and realises the palette in the context when the selection succeeded.
HPALETTE SelectAndRealisePalette(HDC dc, HPALETTE palette);
enum PaletteRestore { kRestoreAsBackground, kRestoreAsForeground };
// Selects back the palette a selection replaced; nothing for null.
void RestorePalette(HDC dc, HPALETTE replaced, PaletteRestore restore);

// --- Palettes (palettes.cpp) ---
// The palette of a packed DIB's colour table (delete with DeleteObject); null when none.
HPALETTE PaletteFromDib(HGLOBAL dib);
// Sets GlobalPalette from the ScreenDescriptor's global table; 0 when there is none.
int BuildGlobalPalette(PresentationState* state);

// --- Screen capture (screen_capture.cpp) ---
// A display-compatible bitmap of the screen rectangle; null for a null rectangle or on
// failure. The palette, when given, is selected and realised while copying, never deleted.
HBITMAP CaptureScreenRect(const RECT* rect, HPALETTE palette);
HBITMAP CaptureScreen(HPALETTE palette);

// --- Stage and disposal (stage.cpp) ---
void StageFromSnapshot(PresentationState* state);
void StageFromWindow(PresentationState* state, HWND window);
// The stage after the frame at FrameCursor leaves with this disposal method.
void ApplyDisposal(PresentationState* state, int disposal);

// --- Frame preparation (frame_preparation.cpp) ---
// Builds CurrentFrameDib and the palette of the frame at FrameCursor; 1 on success.
int PrepareFrame(PresentationState* state);
void ReleaseFrame(PresentationState* state);

// --- Transparent drawing (transparent_blit.cpp) ---
// Draws the frame bitmap (the frame drawn 1:1, selected into no context) at (x, y) of the
// destination, leaving the destination untouched where the frame's pixel is its
// transparent index. The frame bitmap keeps its pixels.
void TransparentBlit(HDC destination, HBITMAP frameBitmap, int x, int y, HPALETTE palette,
                     const FrameImage* frame);

// --- Composition (composition.cpp) ---
// A memory context with the client-sized composite bitmap selected into it.
struct ComposedPicture {
    HDC dc;
    HBITMAP bitmap;
};
// The stage with the current frame drawn at (left + dx, top + dy); both members null on
// failure. Release with ReleaseComposedPicture.
ComposedPicture ComposeFrame(const PresentationState* state, HWND window, int dx, int dy);
// Deletes the picture's context, then its bitmap; a released picture is left empty.
void ReleaseComposedPicture(ComposedPicture* picture);
// The paint form: composes off-screen and copies the result onto the paint context in one
// copy. Called between BeginPaint and EndPaint.
void PaintComposedFrame(const PresentationState* state, HDC paintDc, HWND window);

// --- Release of the animation (drawing_objects.cpp) ---
// Frees the presentation's frame list and every drawing object made from it; a second call
// does nothing.
void ReleaseAnimation(PresentationState* state);
// Deletes the presentation's drawing objects (palettes, the frame's DIB, snapshots, stage)
// and clears FrameCursor.
void ReleaseDrawingObjects(PresentationState* state);
