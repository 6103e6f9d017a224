// The orientation a camera records in a JPEG's Exif block (tag 274: 1 upright, 2..8 the
// mirrorings and quarter turns), and turning decoded pixels upright by it, so that a phone
// photo taken on its side shows the way it looked on the phone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture_decoding.h"

// The orientation in a JPEG file's Exif (APP1) block; 1 when there is none or it cannot be
// read. Read from the bytes here, because Windows' decoder under Wine does not give it.
int JpegOrientation(const std::vector<uint8_t>& jpeg);
// Turns the picture upright; orientation 1 or an unknown value leaves it as it is.
void ApplyOrientation(int orientation, DecodedPicture* picture);
