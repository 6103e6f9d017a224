// Screen capture into display-compatible bitmaps: the screen under a window before it
// draws, and the whole screen before a window appears.
//
// Owns: nothing; the bitmap it returns belongs to the caller. Reads the screen through a
// "DISPLAY" context, because a window's own context does not show what lies beneath it.
#include "render/render_api.h"

namespace {

// Selects the palette as a foreground palette and realises it; the replaced palette, or
// null when nothing was selected.
HPALETTE SelectAndRealise(HDC dc, HPALETTE palette) {
    if (!palette)
        return nullptr;
    HPALETTE replaced = SelectPalette(dc, palette, FALSE);
    if (replaced)
        RealizePalette(dc);
    return replaced;
}

void SelectBackBackground(HDC dc, HPALETTE replaced) {
    if (replaced)
        SelectPalette(dc, replaced, TRUE);
}

}  // namespace

HBITMAP CaptureScreenRect(const RECT* rect, HPALETTE palette) {
    if (!rect)
        return nullptr;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return nullptr;
    HDC memory = CreateCompatibleDC(display);
    if (!memory) {
        DeleteDC(display);
        return nullptr;
    }
    HPALETTE displayReplaced = SelectAndRealise(display, palette);
    HPALETTE memoryReplaced = SelectAndRealise(memory, palette);

    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, display, rect->left, rect->top, SRCCOPY);
        SelectObject(memory, previous);
    }

    SelectBackBackground(memory, memoryReplaced);
    SelectBackBackground(display, displayReplaced);
    DeleteDC(memory);
    DeleteDC(display);
    return bitmap;
}

HBITMAP CaptureScreen(HPALETTE palette) {
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return CaptureScreenRect(&screen, palette);
}
