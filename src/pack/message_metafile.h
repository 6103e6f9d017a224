// The message as an enhanced metafile built from pixels: a picture fitted into a square
// (aspect kept, centred on a background colour, scaled down to at most kMessageSide pixels
// a side) or a plain colour card; the structural check of a metafile the player is given;
// and the drawing of a metafile built here, for front ends without a metafile player.
// The metafile holds a header, a stretch-mode record, the background as a one-pixel DIB
// stretched over the square, the picture as a 24-bit DIB record in its place, any further
// layers (a picture caption's area outside the picture, as palette DIBs in RLE8), and the
// end record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kMessageSide = 1080;
constexpr long long kPicturePixelBudget = 50000000;
constexpr int kColourCardSide = 8;

// An RGB picture, rows top-down.
struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// A picture of at most 256 colours: palette entries 0xRRGGBB and the indices run-length
// encoded as an RLE8 bitmap (bottom-up rows, each ending in an end-of-line code).
struct PaletteImage {
    int width = 0, height = 0;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> rle8;
};

// A picture message before it becomes a metafile: the picture fitted and scaled, and where
// it stands in its side x side square.
struct FittedPicture {
    int side = 0, left = 0, top = 0;
    uint32_t background = 0;
    RgbImage image;
};

// One DIB drawn pixel for pixel at (left, top) of the square: rgb or palette.
struct MessageLayer {
    int left, top;
    const RgbImage* rgb;
    const PaletteImage* palette;
};

// The picture fitted into its square (see BuildPictureMetafile); side 0 when refused.
FittedPicture FitPicture(const uint8_t* rgba, int width, int height, uint32_t background);
// The metafile of a side x side square of the background colour with the layers drawn over
// it in order.
std::vector<uint8_t> BuildLayeredMetafile(int side, uint32_t background,
                                          const std::vector<MessageLayer>& layers);

// rgba: width x height pixels, 4 bytes each, top-down. Colours are 0xRRGGBB. Empty when
// the size is not positive or beyond kPicturePixelBudget.
std::vector<uint8_t> BuildPictureMetafile(const uint8_t* rgba, int width, int height,
                                          uint32_t background);
std::vector<uint8_t> BuildColourCardMetafile(uint32_t colour);

// The side of the square picture a metafile built here holds, for a picture of this size.
int FittedSquareSide(int width, int height);

// The picture a metafile built here shows, drawn the way the player plays it into a
// rectangle of its own size: *width x *height (its bounds) RGBA pixels, rows top-down, each
// stretched 24-bit DIB taken pixel by nearest pixel. Other metafiles (drawing records other
// than stretched DIBs, or bounds over kMessageSide x 4) are not drawn: false with *why.
bool DrawMessageMetafile(const uint8_t* bytes, size_t size, int* width, int* height,
                         std::vector<uint8_t>* rgba, std::string* why);

// Walks the records: an EMR_HEADER with the " EMF" signature and a size the file holds,
// records of sensible sizes, and an end record. False with *why naming the first fault.
bool CheckEnhancedMetafile(const uint8_t* bytes, size_t size, std::string* why);
