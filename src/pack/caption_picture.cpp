// Picture caption layout and the captioned message (see caption_picture.h).
#include "pack/caption_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "pack/palette_image.h"
#include "show/placement.h"

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(uint32_t rgb) {
    return 0.2126 * Linear(rgb >> 16 & 0xFF) + 0.7152 * Linear(rgb >> 8 & 0xFF) + 0.0722 * Linear(rgb & 0xFF);
}

struct Box {
    int left, top, right, bottom;   // right and bottom exclusive
    bool Empty() const { return right <= left || bottom <= top; }
};

Box Intersect(Box a, Box b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

RgbImage Crop(const uint8_t* rgba, int side, Box box) {
    RgbImage image;
    image.width = box.right - box.left;
    image.height = box.bottom - box.top;
    image.rgb.reserve(size_t(image.width) * size_t(image.height) * 3);
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const uint8_t* p = rgba + (size_t(y) * size_t(side) + size_t(x)) * 4;
            image.rgb.insert(image.rgb.end(), p, p + 3);
        }
    return image;
}

// The parts of box outside the picture's rectangle: the bands above and below it, and
// the pieces left and right of it between them.
std::vector<Box> Outside(Box box, Box picture) {
    if (Intersect(box, picture).Empty())
        return {box};
    std::vector<Box> parts = {
        {box.left, box.top, box.right, std::min(box.bottom, picture.top)},
        {box.left, std::max(box.top, picture.bottom), box.right, box.bottom},
        {box.left, std::max(box.top, picture.top), std::min(box.right, picture.left), std::min(box.bottom, picture.bottom)},
        {std::max(box.left, picture.right), std::max(box.top, picture.top), box.right, std::min(box.bottom, picture.bottom)},
    };
    parts.erase(std::remove_if(parts.begin(), parts.end(), [](const Box& b) { return b.Empty(); }), parts.end());
    return parts;
}

}  // namespace

double ContrastRatio(uint32_t a, uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::string CaptionContrastWarning(uint32_t colour, uint32_t under) {
    const double contrast = ContrastRatio(colour, under);
    if (contrast >= kCaptionContrastWarning)
        return std::string();
    char text[200];
    std::snprintf(text, sizeof text,
                  "caption: its colour #%06X stands out little from what lies under it (#%06X on "
                  "average, a contrast of %.1f:1; 3:1 or more reads well)",
                  unsigned(colour), unsigned(under), contrast);
    return text;
}

CaptionFrame CaptionFrameFor(int side, int fontHeight, bool outline, uint32_t colour, int cell) {
    CaptionFrame frame;
    frame.pixelHeight = std::max(1, int(std::lround(double(std::abs(fontHeight)) * side / kCaptionReferenceSide)));
    frame.margin = std::max(1, side / 25);
    frame.wrapWidth = std::max(1, side - 2 * frame.margin);
    frame.outline = outline ? std::max(1, int(std::lround(frame.pixelHeight / 12.0))) : 0;
    frame.outlineColour = ContrastRatio(colour, 0x000000) >= ContrastRatio(colour, 0xFFFFFF) ? 0x000000 : 0xFFFFFF;
    // The screen's cell grid on a 2 x 2 square: a window of no size stands at 0, 1 or 2.
    const Point place = ScreenCellCorner(cell, {2, 2}, {0, 0});
    frame.column = place.x;
    frame.row = place.y;
    return frame;
}

int CaptionBlockTop(const CaptionFrame& frame, int side, int blockHeight) {
    return frame.margin + frame.row * (side - 2 * frame.margin - blockHeight) / 2;
}

std::vector<uint8_t> CaptionCanvas(const CaptionBase& base) {
    std::vector<uint8_t> rgba(size_t(base.side) * size_t(base.side) * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = uint8_t(base.background >> 16);
        rgba[i + 1] = uint8_t(base.background >> 8);
        rgba[i + 2] = uint8_t(base.background);
        rgba[i + 3] = 0xFF;
    }
    if (const FittedPicture* picture = base.picture) {
        for (int y = 0; y < picture->image.height; ++y)
            for (int x = 0; x < picture->image.width; ++x) {
                const uint8_t* from = &picture->image.rgb[(size_t(y) * size_t(picture->image.width) + size_t(x)) * 3];
                uint8_t* to = &rgba[(size_t(picture->top + y) * size_t(base.side) + size_t(picture->left + x)) * 4];
                std::copy(from, from + 3, to);
            }
    }
    return rgba;
}

CaptionedMessage BuildCaptionedMessage(const CaptionBase& base, const uint8_t* rgba) {
    const std::vector<uint8_t> canvas = CaptionCanvas(base);
    Box changed = {base.side, base.side, 0, 0};
    double sum[3] = {0, 0, 0};
    size_t count = 0;
    for (int y = 0; y < base.side; ++y)
        for (int x = 0; x < base.side; ++x) {
            const size_t at = (size_t(y) * size_t(base.side) + size_t(x)) * 4;
            if (std::equal(rgba + at, rgba + at + 3, canvas.begin() + long(at)))
                continue;
            changed = {std::min(changed.left, x), std::min(changed.top, y), std::max(changed.right, x + 1),
                       std::max(changed.bottom, y + 1)};
            for (int c = 0; c < 3; ++c)
                sum[c] += canvas[at + size_t(c)];
            ++count;
        }
    CaptionedMessage result;
    result.drawn = count > 0;
    result.meanUnder = base.background;
    if (count > 0)
        result.meanUnder = uint32_t(std::lround(sum[0] / count)) << 16 | uint32_t(std::lround(sum[1] / count)) << 8 |
                           uint32_t(std::lround(sum[2] / count));

    std::vector<MessageLayer> layers;
    RgbImage picture;
    Box pictureBox = {0, 0, 0, 0};
    if (base.picture) {
        const FittedPicture& fitted = *base.picture;
        pictureBox = {fitted.left, fitted.top, fitted.left + fitted.image.width, fitted.top + fitted.image.height};
        picture = Crop(rgba, base.side, pictureBox);
        layers.push_back({fitted.left, fitted.top, &picture, nullptr});
    }
    std::vector<PaletteImage> outside;
    std::vector<Box> parts = result.drawn ? Outside(changed, pictureBox) : std::vector<Box>();
    outside.reserve(parts.size());
    for (const Box& part : parts) {
        outside.push_back(ToPaletteImage(Crop(rgba, base.side, part)));
        layers.push_back({part.left, part.top, nullptr, &outside.back()});
    }
    result.metafile = BuildLayeredMetafile(base.side, base.background, layers);
    return result;
}
