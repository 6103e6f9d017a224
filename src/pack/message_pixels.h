// A message metafile of the kind the packer builds, read back into its pixels: the square of
// its bounds with every DIB record drawn into its destination (24-bit and 8-bit palette DIBs,
// RLE8 or not; a record stretched to another size is drawn by nearest pixel). This is the
// picture the player is handed, before its own stretching to the message window. An author's
// metafile with other drawing records is not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// rgba: side x side pixels, 4 bytes each, opaque, top-down. False when the metafile has a
// record this reading does not draw, or a malformed one.
bool DecodeMessagePixels(const uint8_t* emf, size_t size, int* side, std::vector<uint8_t>* rgba);
