// make_message: writes the sample show's message, an enhanced metafile drawn with GDI.
// Usage: make_message OUTPUT.emf
// The picture is a dark blue card edged in gold with a yellow sun in its middle; the card
// fills the metafile's whole frame, so the zoomed message covers its rectangle exactly.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_message OUTPUT.emf\n");
        return 2;
    }
    HDC reference = GetDC(nullptr);
    int widthMm = GetDeviceCaps(reference, HORZSIZE), heightMm = GetDeviceCaps(reference, VERTSIZE);
    int widthPx = GetDeviceCaps(reference, HORZRES), heightPx = GetDeviceCaps(reference, VERTRES);
    ReleaseDC(nullptr, reference);
    // The frame in 0.01 mm for a 400 x 400 pixel picture on the reference display.
    RECT frame = {0, 0, 400 * widthMm * 100 / widthPx, 400 * heightMm * 100 / heightPx};
    HDC dc = CreateEnhMetaFileA(nullptr, argv[1], &frame, "Reelbox\0sample message\0\0");
    if (!dc) {
        std::fprintf(stderr, "make_message: cannot create %s\n", argv[1]);
        return 1;
    }
    HBRUSH card = CreateSolidBrush(RGB(20, 40, 120));
    RECT all = {0, 0, 400, 400};
    FillRect(dc, &all, card);
    DeleteObject(card);

    HPEN gold = CreatePen(PS_SOLID, 12, RGB(230, 180, 40));
    HGDIOBJ previousPen = SelectObject(dc, gold);
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 6, 6, 394, 394);
    HBRUSH sun = CreateSolidBrush(RGB(255, 220, 0));
    SelectObject(dc, sun);
    Ellipse(dc, 140, 140, 260, 260);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(sun);
    DeleteObject(gold);

    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    if (!metafile) {
        std::fprintf(stderr, "make_message: cannot finish %s\n", argv[1]);
        return 1;
    }
    DeleteEnhMetaFile(metafile);
    return 0;
}
