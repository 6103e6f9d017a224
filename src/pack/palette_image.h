// Pictures of few colours stored compactly: an RGB picture reduced to at most 256 colours
// (exactly when it has no more; by median cut when it has) and its indices encoded as an
// RLE8 bitmap, and the RLE8 bitmap decoded back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pack/message_metafile.h"

PaletteImage ToPaletteImage(const RgbImage& image);

// Decodes RLE8 bits (bottom-up) into width x height indices, top-down. False when the
// bits are malformed or run past the picture.
bool DecodeRle8(const uint8_t* bits, size_t size, int width, int height, std::vector<uint8_t>* indices);
