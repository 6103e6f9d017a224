// TransparentBlit: draws a frame bitmap so that the pixels holding the frame's transparent
// index leave the destination untouched.
//
// The mask is made from the palette index, not by matching a colour, so a colour that the
// table holds both at the transparent index and at another index stays visible at the
// other. The mask is a two-colour FrameImage (transparent pixels white, all others black)
// drawn through a 1-bit DIB, then turned monochrome; the classic AND/OR sequence then puts
// the opaque pixels over the destination.
//
// Owns: nothing beyond one call; every context, bitmap, the mask and its DIB are gone when
// it returns. Relies on new memory contexts keeping their default colours (text black,
// background white), which no rendering code changes.
#include "render/render_api.h"

namespace {

FrameImage* BuildFrameMask(const FrameImage* frame) {
    FrameImage* mask = CreateFrameImage(frame->width, frame->height);
    if (!mask)
        return nullptr;
    mask->usesGlobalTable = 0;
    mask->usedColourCount = 2;
    mask->red[0] = mask->green[0] = mask->blue[0] = 0;
    mask->red[1] = mask->green[1] = mask->blue[1] = 255;
    mask->unseenMark[0] = mask->unseenMark[1] = 0;
    for (int x = 0; x < frame->width; ++x)
        for (int y = 0; y < frame->height; ++y)
            mask->columns[x][y] = frame->columns[x][y] == frame->transparentIndex ? 1 : 0;
    return mask;
}

// A memory context compatible with the destination, with its bitmap selected.
struct Layer {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

Layer MakeLayer(HDC destination, HBITMAP bitmap) {
    Layer layer = {CreateCompatibleDC(destination), bitmap, nullptr};
    if (layer.dc && layer.bitmap)
        layer.previous = SelectObject(layer.dc, layer.bitmap);
    return layer;
}

void DeleteLayer(Layer* layer) {
    if (layer->dc && layer->previous)
        SelectObject(layer->dc, layer->previous);
    if (layer->dc)
        DeleteDC(layer->dc);
    if (layer->bitmap)
        DeleteObject(layer->bitmap);
}

bool LayerReady(const Layer& layer) {
    return layer.dc && layer.bitmap && layer.previous;
}

}  // namespace

void TransparentBlit(HDC destination, HBITMAP frameBitmap, int x, int y, HPALETTE palette,
                     const FrameImage* frame) {
    FrameImage* mask = BuildFrameMask(frame);
    if (!mask)
        return;
    HDC source = CreateCompatibleDC(destination);
    if (!source) {
        FreeFrameImage(mask);
        return;
    }
    HPALETTE sourceReplaced = SelectAndRealisePalette(source, palette);
    HGDIOBJ sourcePrevious = SelectObject(source, frameBitmap);

    // The bitmap's own size in the source's default mapping mode, i.e. in pixels.
    BITMAP info = {};
    GetObjectA(frameBitmap, sizeof(info), &info);
    POINT size = {info.bmWidth, info.bmHeight};
    DPtoLP(source, &size, 1);
    const int w = size.x;
    const int h = size.y;

    Layer back = MakeLayer(destination, CreateBitmap(w, h, 1, 1, nullptr));
    Layer object = MakeLayer(destination, CreateBitmap(w, h, 1, 1, nullptr));
    Layer mem = MakeLayer(destination, CreateCompatibleBitmap(destination, w, h));
    Layer save = MakeLayer(destination, CreateCompatibleBitmap(destination, w, h));
    Layer maskLayer = MakeLayer(destination, CreateCompatibleBitmap(destination, w, h));
    HGLOBAL maskDib = BuildFrameDib(mask, ScreenDescriptorRecord{});  // its own two colours

    if (sourcePrevious && maskDib && LayerReady(back) && LayerReady(object) &&
        LayerReady(mem) && LayerReady(save) && LayerReady(maskLayer)) {
        SetMapMode(source, GetMapMode(destination));
        BitBlt(save.dc, 0, 0, w, h, source, 0, 0, SRCCOPY);

        // Transparent pixels white, all others black.
        HPALETTE maskReplaced = SelectAndRealisePalette(maskLayer.dc, palette);
        RECT whole = {0, 0, frame->width, frame->height};
        DrawDib(maskLayer.dc, &whole, maskDib, &whole, nullptr);
        // Colour to monochrome: pixels of the background colour (white) become 1, so
        // Object is 1 where the frame is transparent.
        BitBlt(object.dc, 0, 0, w, h, maskLayer.dc, 0, 0, SRCCOPY);
        RestorePalette(maskLayer.dc, maskReplaced, kRestoreAsBackground);
        RestorePalette(source, sourceReplaced, kRestoreAsBackground);
        sourceReplaced = nullptr;

        BitBlt(back.dc, 0, 0, w, h, object.dc, 0, 0, NOTSRCCOPY);  // 1 where opaque
        BitBlt(mem.dc, 0, 0, w, h, destination, x, y, SRCCOPY);
        // Monochrome to colour: 1 becomes white, 0 black, so the destination survives
        // only where the frame is transparent.
        BitBlt(mem.dc, 0, 0, w, h, object.dc, 0, 0, SRCAND);
        BitBlt(source, 0, 0, w, h, back.dc, 0, 0, SRCAND);        // frame black where transparent
        BitBlt(mem.dc, 0, 0, w, h, source, 0, 0, SRCPAINT);       // frame over destination
        BitBlt(destination, x, y, w, h, mem.dc, 0, 0, SRCCOPY);
        BitBlt(source, 0, 0, w, h, save.dc, 0, 0, SRCCOPY);       // frame bitmap restored
    }

    RestorePalette(source, sourceReplaced, kRestoreAsBackground);
    if (sourcePrevious)
        SelectObject(source, sourcePrevious);
    DeleteLayer(&maskLayer);
    DeleteLayer(&save);
    DeleteLayer(&mem);
    DeleteLayer(&object);
    DeleteLayer(&back);
    DeleteDC(source);
    if (maskDib)
        GlobalFree(maskDib);
    FreeFrameImage(mask);
}
