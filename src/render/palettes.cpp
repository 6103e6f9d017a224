// Logical palettes: one from a packed DIB's colour table, and a presentation's GlobalPalette
// from its GIF's global colour table.
//
// Owns: GlobalPalette's creation (ReleaseDrawingObjects deletes it). A palette made by
// PaletteFromDib belongs to the caller. The LOGPALETTE record is built in a temporary
// movable block that is freed as soon as the palette exists.
#include "render/render_api.h"

namespace {

constexpr WORD kPaletteVersion = 0x300;

// The temporary record for count entries, locked; null when memory runs out.
LOGPALETTE* LockNewPaletteRecord(HGLOBAL* block, WORD count) {
    *block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8 + 4 * SIZE_T(count));
    if (!*block)
        return nullptr;
    LOGPALETTE* record = static_cast<LOGPALETTE*>(GlobalLock(*block));
    if (!record) {
        GlobalFree(*block);
        *block = nullptr;
        return nullptr;
    }
    record->palVersion = kPaletteVersion;
    record->palNumEntries = count;
    return record;
}

HPALETTE CreateAndFreeRecord(HGLOBAL block, LOGPALETTE* record) {
    HPALETTE palette = CreatePalette(record);
    GlobalUnlock(block);
    GlobalFree(block);
    return palette;
}

}  // namespace

HPALETTE PaletteFromDib(HGLOBAL dib) {
    if (!dib)
        return nullptr;
    const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(dib));
    if (!bytes)
        return nullptr;
    const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
    const WORD count = DibColourCount(header);
    // A header that claims more entries than the block holds is not read past its end.
    if (count == 0 || GlobalSize(dib) < 40 + 4 * SIZE_T(count)) {
        GlobalUnlock(dib);
        return nullptr;
    }
    HGLOBAL block;
    LOGPALETTE* record = LockNewPaletteRecord(&block, count);
    if (!record) {
        GlobalUnlock(dib);
        return nullptr;
    }
    for (WORD i = 0; i < count; ++i) {
        const BYTE* quad = bytes + 40 + 4 * i;
        record->palPalEntry[i].peRed = quad[2];
        record->palPalEntry[i].peGreen = quad[1];
        record->palPalEntry[i].peBlue = quad[0];
        record->palPalEntry[i].peFlags = 0;
    }
    HPALETTE palette = CreateAndFreeRecord(block, record);
    GlobalUnlock(dib);
    return palette;
}

int BuildGlobalPalette(PresentationState* state) {
    const ScreenDescriptorRecord& screen = state->gif.ScreenDescriptor;
    const WORD count = WORD(screen.globalColourCount);
    if (!screen.hasGlobalTable || count == 0)
        return 0;
    HGLOBAL block;
    LOGPALETTE* record = LockNewPaletteRecord(&block, count);
    if (!record)
        return 0;
    for (WORD i = 0; i < count && i < 256; ++i) {
        record->palPalEntry[i].peRed = screen.globalRed[i];
        record->palPalEntry[i].peGreen = screen.globalGreen[i];
        record->palPalEntry[i].peBlue = screen.globalBlue[i];
        record->palPalEntry[i].peFlags = 0;
    }
    // A palette that replaces an earlier one must not leak it, and the alias must follow.
    HPALETTE previous = state->GlobalPalette;
    state->GlobalPalette = CreateAndFreeRecord(block, record);
    if (previous) {
        if (state->ActivePalette == previous)
            state->ActivePalette = state->GlobalPalette;
        DeleteObject(previous);
    }
    return 1;
}
