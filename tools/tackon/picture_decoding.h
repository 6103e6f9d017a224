// Decoding the picture given to --message-image into RGBA pixels for the packing core.
// Natively PNG (libpng), JPEG (libjpeg-turbo), GIF (its first frame, with the player's own
// decoder) and uncompressed BMP (bmp_reader.h); in tackon.exe whatever Windows Imaging
// Component reads. A picture beyond the core's pixel budget is refused before its pixels
// are decoded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;   // width * height * 4 bytes, rows top-down
};

// False with *error (without the file name) when the picture cannot be decoded.
bool DecodePicture(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error);

// The budget refusal both decoders use: true when width x height may be decoded.
bool PictureFitsBudget(long long width, long long height, std::string* error);
