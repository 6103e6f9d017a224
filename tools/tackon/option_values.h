// The option values tackon understands: cell names and numbers, the font description
// "Face,height[,bold][,italic]" and the colour "#RRGGBB", and the defaults used when an
// option is not given.
#pragma once

#include <cstdint>
#include <string>

#include "package/package_layout.h"

constexpr uint32_t kDefaultPlacement = kRandomPlacement;
constexpr uint32_t kDefaultCaptionPosition = 1;           // top-left, where text captions stand
constexpr uint32_t kDefaultColour = 0x00000000;           // black
constexpr int32_t kDefaultFontHeight = -24;
constexpr int32_t kWeightNormal = 400;
constexpr int32_t kWeightBold = 700;
constexpr uint8_t kDefaultCharSet = 1;                    // DEFAULT_CHARSET
extern const char kDefaultFontFace[];                     // "Arial"

// A cell name (centre, top-left, ..., random) or its number, from the packing core's table.
bool ParsePlacement(const std::string& text, uint32_t* code);
const char* PlacementName(uint32_t code);   // "centre" ... "random", or null for no cell
// True for the nine cells of the screen grid (the places a caption can take), not random.
bool OnScreenGrid(uint32_t code);
// "centre, top-left, ..., random"; without random (the cells off the grid) when gridOnly.
std::string PlacementNamesText(bool gridOnly);

FontRecord DefaultFontRecord();
// "Face,height[,bold][,italic]"; false with *error naming the problem.
bool ParseFontSpec(const std::string& text, FontRecord* font, std::string* error);

constexpr uint32_t kDefaultMessageBackground = 0xFFFFFF;   // white, as 0xRRGGBB

// --sound-quality: what an MP3, OGG or FLAC sound is written as. "standard" (22,050 Hz
// mono), "high" (44,100 Hz mono) or "stereo" (44,100 Hz stereo).
struct SoundQuality {
    int rate;
    int channels;
};
bool ParseSoundQuality(const std::string& text, SoundQuality* quality);

// "#RRGGBB" into a COLORREF 0x00BBGGRR.
bool ParseColour(const std::string& text, uint32_t* colourRef);
