// make_message: writes the sample show's message, an enhanced metafile drawn with GDI.
// Usage: make_message OUTPUT.emf
// The picture is a dark blue card edged in gold with a sun and hills at its bottom right,
// leaving the top left clear for the caption; the card fills the metafile's whole frame, so
// the zoomed message covers its rectangle exactly.
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

    // The caption is written from the top left, so the picture keeps to the right and the
    // bottom: a sun low on the right over two hills, cut off at the card's edges (a player
    // draws a metafile beyond its frame when its records reach beyond it).
    IntersectClipRect(dc, 0, 0, 400, 400);
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HBRUSH sun = CreateSolidBrush(RGB(255, 200, 40));
    HGDIOBJ previousBrush = SelectObject(dc, sun);
    Ellipse(dc, 270, 200, 370, 300);
    HBRUSH farHill = CreateSolidBrush(RGB(40, 120, 70));
    SelectObject(dc, farHill);
    Ellipse(dc, 150, 290, 560, 520);
    HBRUSH nearHill = CreateSolidBrush(RGB(60, 160, 80));
    SelectObject(dc, nearHill);
    Ellipse(dc, -160, 320, 300, 540);

    HPEN gold = CreatePen(PS_SOLID, 12, RGB(230, 180, 40));
    SelectObject(dc, gold);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 6, 6, 394, 394);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(sun);
    DeleteObject(farHill);
    DeleteObject(nearHill);
    DeleteObject(gold);

    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    if (!metafile) {
        std::fprintf(stderr, "make_message: cannot finish %s\n", argv[1]);
        return 1;
    }
    DeleteEnhMetaFile(metafile);
    return 0;
}
