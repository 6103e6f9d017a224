// The composition of the stage and the current frame off-screen: one routine builds the
// client-sized composite, which ComposeFrame hands to its caller and the paint form copies
// onto the window in one copy, so the stage is never seen without its frame.
//
// Owns: nothing long-lived; the presentation's StageBitmap and current frame are only read.
//
// A frame that cannot be drawn (no current frame, its FrameDib failed to build, an own
// table without colours, or no pixels) leaves the composite showing the stage alone: the
// frame bitmap is then never made, drawn or copied, so no undefined pixels reach the
// window. Without a stage the composite starts black rather than undefined.
#include "render/render_api.h"

namespace {

bool CurrentFrameIsDrawable(const PresentationState* state) {
    if (!state->FrameCursor || !state->FrameCursor->image || !state->CurrentFrameDib)
        return false;
    const FrameImage* frame = state->FrameCursor->image;
    if (frame->width <= 0 || frame->height <= 0)
        return false;
    const BITMAPINFOHEADER* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(state->CurrentFrameDib));
    if (!header)
        return false;
    const bool hasColours = header->biClrUsed != 0;
    GlobalUnlock(state->CurrentFrameDib);
    return hasColours;
}

// The composite in a memory context, with what must be put back before it is deleted.
struct Composite {
    HDC out;
    HBITMAP bitmap;
    HGDIOBJ outPrevious;
    HPALETTE outPaletteReplaced;
    RECT client;
};

// Puts the frame, drawn 1:1 into its own bitmap, onto Out at the shifted frame position.
void DrawFrameOnto(const PresentationState* state, HDC windowDc, HDC out, int dx, int dy) {
    const FrameImage* frame = state->FrameCursor->image;
    HDC frameDc = CreateCompatibleDC(windowDc);
    HBITMAP frameBitmap = CreateCompatibleBitmap(windowDc, frame->width, frame->height);
    if (frameDc && frameBitmap) {
        HGDIOBJ previous = SelectObject(frameDc, frameBitmap);
        HPALETTE replaced = SelectAndRealisePalette(frameDc, state->ActivePalette);
        RECT whole = {0, 0, frame->width, frame->height};
        DrawDib(frameDc, &whole, state->CurrentFrameDib, &whole, nullptr);
        const int x = frame->left + dx;
        const int y = frame->top + dy;
        if (state->FrameHasTransparency) {
            SelectObject(frameDc, previous);  // TransparentBlit selects the bitmap itself
            TransparentBlit(out, frameBitmap, x, y, state->ActivePalette, frame);
        } else {
            BitBlt(out, x, y, frame->width, frame->height, frameDc, 0, 0, SRCCOPY);
            SelectObject(frameDc, previous);
        }
        RestorePalette(frameDc, replaced, kRestoreAsBackground);
    }
    if (frameDc)
        DeleteDC(frameDc);
    if (frameBitmap)
        DeleteObject(frameBitmap);
}

// Builds the stage with the current frame over it; false when no composite could be made.
bool BuildComposite(const PresentationState* state, HDC windowDc, HWND window, int dx, int dy,
                    Composite* c) {
    *c = {};
    GetClientRect(window, &c->client);
    const int width = c->client.right - c->client.left;
    const int height = c->client.bottom - c->client.top;
    c->out = CreateCompatibleDC(windowDc);
    c->bitmap = CreateCompatibleBitmap(windowDc, width, height);
    if (!c->out || !c->bitmap) {
        if (c->out)
            DeleteDC(c->out);
        if (c->bitmap)
            DeleteObject(c->bitmap);
        *c = {};
        return false;
    }
    c->outPrevious = SelectObject(c->out, c->bitmap);
    c->outPaletteReplaced = SelectAndRealisePalette(c->out, state->ActivePalette);

    HDC stageDc = state->StageBitmap ? CreateCompatibleDC(windowDc) : nullptr;
    HGDIOBJ stagePrevious = stageDc ? SelectObject(stageDc, state->StageBitmap) : nullptr;
    if (stagePrevious)
        BitBlt(c->out, 0, 0, width, height, stageDc, 0, 0, SRCCOPY);
    else
        PatBlt(c->out, 0, 0, width, height, BLACKNESS);
    if (stagePrevious)
        SelectObject(stageDc, stagePrevious);
    if (stageDc)
        DeleteDC(stageDc);

    if (CurrentFrameIsDrawable(state))
        DrawFrameOnto(state, windowDc, c->out, dx, dy);
    return true;
}

}  // namespace

ComposedPicture ComposeFrame(const PresentationState* state, HWND window, int dx, int dy) {
    ComposedPicture picture = {nullptr, nullptr};
    HDC windowDc = GetDC(window);
    if (!windowDc)
        return picture;
    Composite c;
    if (BuildComposite(state, windowDc, window, dx, dy, &c)) {
        HPALETTE replaced = SelectAndRealisePalette(windowDc, state->ActivePalette);
        RestorePalette(windowDc, replaced, kRestoreAsBackground);
        // The composite and ActivePalette stay selected in the returned context.
        picture.dc = c.out;
        picture.bitmap = c.bitmap;
    }
    ReleaseDC(window, windowDc);
    return picture;
}

void ReleaseComposedPicture(ComposedPicture* picture) {
    if (picture->dc) {
        DeleteDC(picture->dc);
        picture->dc = nullptr;
    }
    if (picture->bitmap) {
        DeleteObject(picture->bitmap);
        picture->bitmap = nullptr;
    }
}

void PaintComposedFrame(const PresentationState* state, HDC paintDc, HWND window) {
    Composite c;
    if (!BuildComposite(state, paintDc, window, 0, 0, &c))
        return;
    HPALETTE paintReplaced = SelectAndRealisePalette(paintDc, state->ActivePalette);
    BitBlt(paintDc, 0, 0, c.client.right - c.client.left, c.client.bottom - c.client.top, c.out,
           0, 0, SRCCOPY);
    RestorePalette(c.out, c.outPaletteReplaced, kRestoreAsBackground);
    RestorePalette(paintDc, paintReplaced, kRestoreAsBackground);
    SelectObject(c.out, c.outPrevious);
    DeleteDC(c.out);
    DeleteObject(c.bitmap);
}
