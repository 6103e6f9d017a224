// Picture captions: the caption drawn by the authoring tool into the message picture. Owns
// the layout rules every front end draws by (the font's size on the message square, the
// margin and wrapping width, the nine places, the outline) and the making of the captioned
// message: the front end draws on the message square handed out here, and the pixels it
// changed are stored, inside the picture as part of it and outside it (a colour card's caption
// above all) as compact palette layers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/message_metafile.h"

// Font heights are pixels on a message square of this side (the message window of a
// 1080-line screen); a square of another side scales them.
constexpr int kCaptionReferenceSide = 540;
// The square of a colour card that carries a picture caption.
constexpr int kCaptionCardSide = 1080;
// Below this contrast between the caption colour and what lies under it, a warning.
constexpr double kCaptionContrastWarning = 3.0;

struct CaptionFrame {
    int pixelHeight;          // the font's character height on the square
    int margin;               // between the square's edges and the text
    int wrapWidth;            // the width the text wraps to: side - 2 * margin
    int outline;              // the outline's width around each glyph, 0 for none
    uint32_t outlineColour;   // 0xRRGGBB, black or white, whichever stands out from the text
    int column, row;          // the place's column and row, 0..2: left/centre/right, top/middle/bottom
};

// fontHeight as in LOGFONT (either sign counts as the character height); colour 0xRRGGBB;
// cell a placement code 0..8 (cells outside it are the centre, as for windows).
CaptionFrame CaptionFrameFor(int side, int fontHeight, bool outline, uint32_t colour, int cell);
// The top of a text block of blockHeight pixels placed by the frame's row.
int CaptionBlockTop(const CaptionFrame& frame, int side, int blockHeight);

// The message a picture caption is drawn on: a fitted picture, or a card of the background
// colour when picture is null.
struct CaptionBase {
    int side;
    uint32_t background;
    const FittedPicture* picture;
};
// The square as RGBA, opaque, top-down.
std::vector<uint8_t> CaptionCanvas(const CaptionBase& base);

struct CaptionedMessage {
    std::vector<uint8_t> metafile;
    bool drawn;                 // some pixel differs from the canvas
    uint32_t meanUnder;         // 0xRRGGBB: the mean of the canvas where the caption changed it
};
// rgba: the canvas with the caption drawn on it.
CaptionedMessage BuildCaptionedMessage(const CaptionBase& base, const uint8_t* rgba);

// The contrast of two colours (0xRRGGBB) by relative luminance, 1 to 21.
double ContrastRatio(uint32_t a, uint32_t b);
// The warning for a caption colour that stands out little from the mean colour under it;
// empty when it stands out enough.
std::string CaptionContrastWarning(uint32_t colour, uint32_t under);
