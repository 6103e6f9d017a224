// The palette sequence of every context that receives frame pixels: select as a foreground
// palette, realise, and afterwards select the replaced palette back.
//
// Owns: nothing; the palettes belong to the caller and are never deleted here.
#include "render/render_api.h"

HPALETTE SelectForegroundPalette(HDC dc, HPALETTE palette) {
    if (!dc || !palette)
        return nullptr;
    return SelectPalette(dc, palette, FALSE);
}

HPALETTE SelectAndRealisePalette(HDC dc, HPALETTE palette) {
    HPALETTE replaced = SelectForegroundPalette(dc, palette);
    if (replaced)
        RealizePalette(dc);
    return replaced;
}

void RestorePalette(HDC dc, HPALETTE replaced, PaletteRestore restore) {
    if (dc && replaced)
        SelectPalette(dc, replaced, restore == kRestoreAsBackground ? TRUE : FALSE);
}
