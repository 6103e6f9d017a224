// The choices an author makes that the player, tackon and the page must agree on, one table
// or rule each: the placement cells (their numbers as stored, their names, where each stands
// on the three-by-three screen grid, and the random sentinel), the caption font's height and
// face-name limits. The charsets captions are stored in are the table of code_page_tables.h.
// The player positions the cells itself (show/placement.cpp); everything else reads these.
// Portable: no platform headers.
#pragma once

#include <cstdint>
#include <string>

#include "package/package_layout.h"

struct CellRule {
    uint32_t code;      // as stored in the trailer
    const char* name;   // as tackon takes it and the page shows it
    int row, column;    // on the screen grid, 0..2 from the top left; -1 for random
};

// The table's cells are numbered 0 to CellCount() - 1 (random among them).
int CellCount();
// A cell by its name or its number (decimal, no leading zero); null when there is none.
const CellRule* CellByName(const std::string& text);
const CellRule* CellByCode(uint32_t code);
// The cell at a place of the screen grid; null outside it.
const CellRule* CellAtPlace(int row, int column);
// "centre, top-left, ..., random".
std::string CellNamesText();

// A caption font's height as LOGFONT takes it: non-zero, from -1000 to 1000 (negative: the
// character height in pixels; positive: the cell height).
constexpr int kFontHeightLimit = 1000;
constexpr bool FontHeightAccepted(long long height) {
    return height != 0 && height >= -kFontHeightLimit && height <= kFontHeightLimit;
}
// The face name's longest length in bytes, in the caption's code page (LOGFONTA's array less
// its terminator).
constexpr uint32_t kFaceNameBytes = kFaceNameSize - 1;
