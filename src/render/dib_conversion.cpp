// Frames to FrameDibs, the inspection of a packed DIB's header and DIB drawing.
//
// Owns: nothing long-lived; a FrameDib belongs to whoever asked for it. The bytes of a
// FrameDib are laid out by dib_layout.cpp; this file only allocates the movable block.
#include "render/dib_layout.h"
#include "render/render_api.h"

HGLOBAL BuildFrameDib(const FrameImage* frame, const ScreenDescriptorRecord& screen) {
    FrameDibLayout layout;
    if (!ComputeFrameDibLayout(frame, screen, &layout))
        return nullptr;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, layout.totalBytes);
    if (!dib)
        return nullptr;
    uint8_t* bytes = static_cast<uint8_t*>(GlobalLock(dib));
    if (!bytes) {
        GlobalFree(dib);
        return nullptr;
    }
    WriteFrameDib(frame, screen, layout, bytes);
    GlobalUnlock(dib);
    return dib;
}

WORD DibColourCount(const BITMAPINFOHEADER* header) {
    if (header->biClrUsed != 0)
        return WORD(header->biClrUsed);
    switch (header->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

WORD DibColourTableSize(const BITMAPINFOHEADER* header) {
    return WORD(DibColourCount(header) * 4);
}

BYTE* DibBits(const BITMAPINFOHEADER* header) {
    const BYTE* start = reinterpret_cast<const BYTE*>(header);
    return const_cast<BYTE*>(start + header->biSize + DibColourTableSize(header));
}

LONG DibHeight(const BITMAPINFOHEADER* header) {
    return header->biHeight;
}

int DrawDib(HDC dc, const RECT* destination, HGLOBAL dib, const RECT* source, HPALETTE palette) {
    if (!dib)
        return 0;
    BITMAPINFOHEADER* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    if (!header)
        return 0;
    // A frame with its own table but no colours has a DIB without a table: drawing it would
    // take the pixel rows for colours, so it is not drawn at all.
    if (header->biClrUsed == 0 && header->biBitCount <= 8) {
        GlobalUnlock(dib);
        return 0;
    }
    BYTE* bits = DibBits(header);
    // The caller has realised the palette; it is only selected here.
    HPALETTE replaced = SelectForegroundPalette(dc, palette);
    SetStretchBltMode(dc, COLORONCOLOR);
    const int lines = SetDIBitsToDevice(
        dc, destination->left, destination->top, destination->right - destination->left,
        destination->bottom - destination->top, source->left, DibHeight(header) - source->bottom,
        0, UINT(DibHeight(header)), bits, reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
    GlobalUnlock(dib);
    RestorePalette(dc, replaced, kRestoreAsBackground);
    return lines;
}
