// Display-compatible bitmaps for the presenting windows: a new canvas of a given size, and
// a piece cut out of a larger capture.
#pragma once

#include <windows.h>

// A bitmap compatible with the display, width x height; null on failure.
HBITMAP CreateDisplayBitmap(int width, int height);
// Copies the width x height piece of source at (x, y) into destination at (0, 0).
void CopyBitmapPiece(HBITMAP destination, HBITMAP source, int x, int y, int width, int height);
// Stores replacement in *slot after deleting what the slot held; false (slot unchanged) when
// there is no replacement.
bool ReplaceBitmap(HBITMAP* slot, HBITMAP replacement);
