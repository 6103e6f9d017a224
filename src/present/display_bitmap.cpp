// Display-compatible bitmaps (see display_bitmap.h).
#include "present/display_bitmap.h"

HBITMAP CreateDisplayBitmap(int width, int height) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    DeleteDC(display);
    return bitmap;
}

void CopyBitmapPiece(HBITMAP destination, HBITMAP source, int x, int y, int width, int height) {
    if (!destination || !source)
        return;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display)
        return;
    HDC to = CreateCompatibleDC(display);
    HDC from = CreateCompatibleDC(display);
    if (to && from) {
        HGDIOBJ previousTo = SelectObject(to, destination);
        HGDIOBJ previousFrom = SelectObject(from, source);
        BitBlt(to, 0, 0, width, height, from, x, y, SRCCOPY);
        SelectObject(from, previousFrom);
        SelectObject(to, previousTo);
    }
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    DeleteDC(display);
}

bool ReplaceBitmap(HBITMAP* slot, HBITMAP replacement) {
    if (!replacement)
        return false;
    if (*slot)
        DeleteObject(*slot);
    *slot = replacement;
    return true;
}
