// A reader for the common Windows bitmap files: BITMAPINFOHEADER and its later versions,
// uncompressed 1, 4, 8, 24 and 32 bits a pixel (32 bits also with the usual BI_BITFIELDS
// masks), bottom-up or top-down. Compressed and OS/2 bitmaps are refused by name. Used by
// the native tackon; tackon.exe reads bitmaps through Windows.
#pragma once

#include "picture_decoding.h"

bool LooksLikeBmp(const std::vector<uint8_t>& bytes);
bool DecodeBmp(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error);
