// Screen capture into display-compatible bitmaps: the screen under a window before it
// draws, and the whole screen before a window appears.
//
// Owns: nothing; the bitmap it returns belongs to the caller. Reads the screen through a
// "DISPLAY" context, because a window's own context does not show what lies beneath it.
#include "render/render_api.h"

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
    HPALETTE displayReplaced = SelectAndRealisePalette(display, palette);
    HPALETTE memoryReplaced = SelectAndRealisePalette(memory, palette);

    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, display, rect->left, rect->top, SRCCOPY);
        SelectObject(memory, previous);
    }

    RestorePalette(memory, memoryReplaced, kRestoreAsBackground);
    RestorePalette(display, displayReplaced, kRestoreAsBackground);
    DeleteDC(memory);
    DeleteDC(display);
    return bitmap;
}

HBITMAP CaptureScreen(HPALETTE palette) {
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return CaptureScreenRect(&screen, palette);
}
