// Building message metafiles from pixels, and checking metafiles (see message_metafile.h).
#include "pack/message_metafile.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmrSetStretchBltMode = 21;
constexpr uint32_t kEmrStretchDiBits = 81;
constexpr uint32_t kEmfSignature = 0x464D4520;   // " EMF"
constexpr uint32_t kEmfVersion = 0x10000;
constexpr uint32_t kHalftone = 4;
constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kHeaderSize = 108;            // with the pixel-format and micrometre fields
constexpr uint32_t kStretchDiBitsFixed = 80;
constexpr uint32_t kBitmapInfoHeaderSize = 40;
// The reference device the frame is measured on: 4 pixels a millimetre, so one pixel is 25
// hundredths of a millimetre.
constexpr int32_t kDevicePixels = 1000;
constexpr int32_t kDeviceMillimetres = 250;
constexpr int32_t kFrameUnitsPerPixel = 25;

void Put32(std::vector<uint8_t>* out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out->push_back(uint8_t(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>* out, uint16_t v) {
    out->push_back(uint8_t(v));
    out->push_back(uint8_t(v >> 8));
}

void PutRect(std::vector<uint8_t>* out, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    for (int32_t v : {left, top, right, bottom})
        Put32(out, uint32_t(v));
}

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t DibRecordSize(const RgbImage& image) {
    const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    return kStretchDiBitsFixed + kBitmapInfoHeaderSize + rowBytes * uint32_t(image.height);
}

// EMR_STRETCHDIBITS drawing the whole image as a 24-bit bottom-up DIB into the rectangle
// at (left, top) of width x height.
void PutDibRecord(std::vector<uint8_t>* out, const RgbImage& image, int32_t left, int32_t top,
                  int32_t width, int32_t height) {
    const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
    const uint32_t bitsSize = rowBytes * uint32_t(image.height);
    Put32(out, kEmrStretchDiBits);
    Put32(out, DibRecordSize(image));
    PutRect(out, left, top, left + width - 1, top + height - 1);
    for (int32_t v : {left, top, 0, 0, image.width, image.height})   // dest x, y; src x, y, cx, cy
        Put32(out, uint32_t(v));
    Put32(out, kStretchDiBitsFixed);                           // offBmiSrc
    Put32(out, kBitmapInfoHeaderSize);                         // cbBmiSrc
    Put32(out, kStretchDiBitsFixed + kBitmapInfoHeaderSize);   // offBitsSrc
    Put32(out, bitsSize);
    Put32(out, 0);                 // DIB_RGB_COLORS
    Put32(out, kSrcCopy);
    Put32(out, uint32_t(width));   // cxDest
    Put32(out, uint32_t(height));  // cyDest
    Put32(out, kBitmapInfoHeaderSize);
    Put32(out, uint32_t(image.width));
    Put32(out, uint32_t(image.height));
    Put16(out, 1);
    Put16(out, 24);
    for (uint32_t v : {0u, bitsSize, 3780u, 3780u, 0u, 0u})
        Put32(out, v);
    for (int y = image.height - 1; y >= 0; --y) {
        const uint8_t* row = image.rgb.data() + size_t(y) * size_t(image.width) * 3;
        for (int x = 0; x < image.width; ++x) {
            out->push_back(row[3 * x + 2]);
            out->push_back(row[3 * x + 1]);
            out->push_back(row[3 * x]);
        }
        out->resize(out->size() + (rowBytes - uint32_t(image.width) * 3), 0);
    }
}

uint32_t PaletteRecordSize(const PaletteImage& image) {
    const uint32_t bits = (uint32_t(image.rle8.size()) + 3) & ~3u;
    return kStretchDiBitsFixed + kBitmapInfoHeaderSize + 4 * uint32_t(image.palette.size()) + bits;
}

// EMR_STRETCHDIBITS drawing an RLE8 palette DIB pixel for pixel at (left, top).
void PutPaletteRecord(std::vector<uint8_t>* out, const PaletteImage& image, int32_t left, int32_t top) {
    const uint32_t infoSize = kBitmapInfoHeaderSize + 4 * uint32_t(image.palette.size());
    const uint32_t bitsSize = uint32_t(image.rle8.size());
    Put32(out, kEmrStretchDiBits);
    Put32(out, PaletteRecordSize(image));
    PutRect(out, left, top, left + image.width - 1, top + image.height - 1);
    for (int32_t v : {left, top, 0, 0, image.width, image.height})
        Put32(out, uint32_t(v));
    Put32(out, kStretchDiBitsFixed);
    Put32(out, infoSize);
    Put32(out, kStretchDiBitsFixed + infoSize);
    Put32(out, bitsSize);
    Put32(out, 0);                 // DIB_RGB_COLORS
    Put32(out, kSrcCopy);
    Put32(out, uint32_t(image.width));
    Put32(out, uint32_t(image.height));
    Put32(out, kBitmapInfoHeaderSize);
    Put32(out, uint32_t(image.width));
    Put32(out, uint32_t(image.height));
    Put16(out, 1);
    Put16(out, 8);
    for (uint32_t v : {kBiRle8, bitsSize, 3780u, 3780u, uint32_t(image.palette.size()), 0u})
        Put32(out, v);
    for (uint32_t colour : image.palette)
        Put32(out, colour & 0xFFFFFF);   // RGBQUAD: blue, green, red, 0
    out->insert(out->end(), image.rle8.begin(), image.rle8.end());
    out->resize(out->size() + (PaletteRecordSize(image) - kStretchDiBitsFixed - infoSize - bitsSize), 0);
}

}  // namespace

// Header, HALFTONE stretch mode (so that the player's shrinking averages instead of AND-ing
// pixels), the background as one pixel stretched over the square, the layers, end. Only the
// layers' own pixels are stored, not the margins around them.
std::vector<uint8_t> BuildLayeredMetafile(int side, uint32_t background,
                                          const std::vector<MessageLayer>& layers) {
    RgbImage backgroundPixel;
    backgroundPixel.width = backgroundPixel.height = 1;
    backgroundPixel.rgb = {uint8_t(background >> 16), uint8_t(background >> 8), uint8_t(background)};
    const uint32_t modeRecordSize = 12;
    const uint32_t eofSize = 20;
    uint32_t total = kHeaderSize + modeRecordSize + DibRecordSize(backgroundPixel) + eofSize;
    for (const MessageLayer& layer : layers)
        total += layer.rgb ? DibRecordSize(*layer.rgb) : PaletteRecordSize(*layer.palette);

    std::vector<uint8_t> out;
    out.reserve(total);
    // EMR_HEADER
    Put32(&out, kEmrHeader);
    Put32(&out, kHeaderSize);
    PutRect(&out, 0, 0, side - 1, side - 1);                                   // bounds, pixels
    PutRect(&out, 0, 0, side * kFrameUnitsPerPixel - 1, side * kFrameUnitsPerPixel - 1);
    Put32(&out, kEmfSignature);
    Put32(&out, kEmfVersion);
    Put32(&out, total);
    Put32(&out, uint32_t(4 + layers.size()));   // records
    Put16(&out, 1);                 // handles: the reserved handle 0 only
    Put16(&out, 0);
    Put32(&out, 0);                 // no description
    Put32(&out, 0);
    Put32(&out, 0);                 // no palette
    Put32(&out, uint32_t(kDevicePixels));
    Put32(&out, uint32_t(kDevicePixels));
    Put32(&out, uint32_t(kDeviceMillimetres));
    Put32(&out, uint32_t(kDeviceMillimetres));
    Put32(&out, 0);                 // no pixel format
    Put32(&out, 0);
    Put32(&out, 0);                 // not OpenGL
    Put32(&out, uint32_t(kDeviceMillimetres * 1000));
    Put32(&out, uint32_t(kDeviceMillimetres * 1000));
    // EMR_SETSTRETCHBLTMODE
    Put32(&out, kEmrSetStretchBltMode);
    Put32(&out, modeRecordSize);
    Put32(&out, kHalftone);
    PutDibRecord(&out, backgroundPixel, 0, 0, side, side);
    for (const MessageLayer& layer : layers) {
        if (layer.rgb)
            PutDibRecord(&out, *layer.rgb, layer.left, layer.top, layer.rgb->width, layer.rgb->height);
        else
            PutPaletteRecord(&out, *layer.palette, layer.left, layer.top);
    }
    // EMR_EOF
    Put32(&out, kEmrEof);
    Put32(&out, eofSize);
    Put32(&out, 0);
    Put32(&out, 16);
    Put32(&out, eofSize);
    return out;
}

namespace {

// The weights by which source cells [0, from) cover destination cell i of to cells: the
// area average used for scaling down (and plain repetition when scaling up).
struct Coverage {
    int first;
    std::vector<double> weights;
};

std::vector<Coverage> Coverages(int from, int to) {
    std::vector<Coverage> result(static_cast<size_t>(to));
    const double step = double(from) / to;
    for (int i = 0; i < to; ++i) {
        double start = i * step, end = (i + 1) * step;
        int first = int(std::floor(start));
        int last = std::min(from - 1, int(std::ceil(end)) - 1);
        result[i].first = first;
        for (int s = first; s <= last; ++s) {
            double covered = std::min(end, s + 1.0) - std::max(start, double(s));
            result[i].weights.push_back(covered / step);
        }
    }
    return result;
}

// The picture composed over the background and area-averaged to fittedWidth x fittedHeight.
RgbImage ScaleOverBackground(const uint8_t* rgba, int width, int height, int fittedWidth,
                             int fittedHeight, uint32_t background) {
    const double backRgb[3] = {double(background >> 16 & 0xFF), double(background >> 8 & 0xFF),
                               double(background & 0xFF)};
    RgbImage scaled;
    scaled.width = fittedWidth;
    scaled.height = fittedHeight;
    scaled.rgb.resize(size_t(fittedWidth) * size_t(fittedHeight) * 3);
    const std::vector<Coverage> columns = Coverages(width, fittedWidth);
    const std::vector<Coverage> rows = Coverages(height, fittedHeight);
    std::vector<double> rowSum(size_t(fittedWidth) * 3), scaledRow(size_t(fittedWidth) * 3);
    for (int y = 0; y < fittedHeight; ++y) {
        std::fill(rowSum.begin(), rowSum.end(), 0.0);
        for (size_t k = 0; k < rows[y].weights.size(); ++k) {
            const uint8_t* source = rgba + size_t(rows[y].first + int(k)) * size_t(width) * 4;
            for (int x = 0; x < fittedWidth; ++x) {
                double sum[3] = {0, 0, 0};
                for (size_t j = 0; j < columns[x].weights.size(); ++j) {
                    const uint8_t* p = source + size_t(columns[x].first + int(j)) * 4;
                    const double alpha = p[3] / 255.0;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += columns[x].weights[j] * (p[c] * alpha + backRgb[c] * (1 - alpha));
                }
                for (int c = 0; c < 3; ++c)
                    scaledRow[size_t(x) * 3 + c] = sum[c];
            }
            for (size_t i = 0; i < rowSum.size(); ++i)
                rowSum[i] += rows[y].weights[k] * scaledRow[i];
        }
        uint8_t* target = scaled.rgb.data() + size_t(y) * size_t(fittedWidth) * 3;
        for (size_t i = 0; i < rowSum.size(); ++i)
            target[i] = uint8_t(std::clamp(std::lround(rowSum[i]), 0L, 255L));
    }
    return scaled;
}

}  // namespace

int FittedSquareSide(int width, int height) {
    return std::min(std::max(width, height), kMessageSide);
}

FittedPicture FitPicture(const uint8_t* rgba, int width, int height, uint32_t background) {
    FittedPicture fitted;
    if (width <= 0 || height <= 0 || (long long)width * height > kPicturePixelBudget)
        return fitted;
    int fittedWidth = width, fittedHeight = height;
    const int longest = std::max(width, height);
    if (longest > kMessageSide) {
        fittedWidth = std::max(1, int(std::lround(double(width) * kMessageSide / longest)));
        fittedHeight = std::max(1, int(std::lround(double(height) * kMessageSide / longest)));
    }
    fitted.image = ScaleOverBackground(rgba, width, height, fittedWidth, fittedHeight, background);
    fitted.side = std::max(fittedWidth, fittedHeight);
    fitted.left = (fitted.side - fittedWidth) / 2;
    fitted.top = (fitted.side - fittedHeight) / 2;
    fitted.background = background;
    return fitted;
}

std::vector<uint8_t> BuildPictureMetafile(const uint8_t* rgba, int width, int height,
                                          uint32_t background) {
    const FittedPicture fitted = FitPicture(rgba, width, height, background);
    if (fitted.side == 0)
        return {};
    return BuildLayeredMetafile(fitted.side, background, {{fitted.left, fitted.top, &fitted.image, nullptr}});
}

std::vector<uint8_t> BuildColourCardMetafile(uint32_t colour) {
    return BuildLayeredMetafile(kColourCardSide, colour, {});
}

namespace {

int32_t GetSigned(const uint8_t* p) { return int32_t(Get32(p)); }

// Draws one EMR_STRETCHDIBITS record of size bytes at record into the picture whose top-left
// lies at origin in the metafile's coordinates.
bool DrawDibRecord(const uint8_t* record, uint32_t size, int originX, int originY, int width,
                   int height, std::vector<uint8_t>* rgba, std::string* why) {
    if (size < kStretchDiBitsFixed) {
        *why = "a picture record is too short";
        return false;
    }
    const int destX = GetSigned(record + 24) - originX, destY = GetSigned(record + 28) - originY;
    const int srcX = GetSigned(record + 32), srcY = GetSigned(record + 36);
    const int srcWidth = GetSigned(record + 40), srcHeight = GetSigned(record + 44);
    const uint32_t infoAt = Get32(record + 48), bitsAt = Get32(record + 56), bitsSize = Get32(record + 60);
    const int destWidth = GetSigned(record + 72), destHeight = GetSigned(record + 76);
    if (infoAt < kStretchDiBitsFixed || infoAt > size - kBitmapInfoHeaderSize ||
        Get32(record + 64) != 0 || Get32(record + 68) != kSrcCopy) {
        *why = "a picture record is not a plain copy of its bitmap";
        return false;
    }
    const uint8_t* info = record + infoAt;
    const int dibWidth = GetSigned(info + 4), dibRows = GetSigned(info + 8);
    const int dibHeight = dibRows < 0 ? -dibRows : dibRows;
    const int bitCount = info[14] | info[15] << 8;
    if (bitCount != 24 || Get32(info + 16) != 0 || dibWidth <= 0 || dibHeight <= 0 ||
        dibWidth > kMessageSide * 4 || dibHeight > kMessageSide * 4) {
        *why = "a picture record holds a bitmap other than 24-bit RGB";
        return false;
    }
    const uint64_t rowBytes = (uint64_t(dibWidth) * 3 + 3) & ~uint64_t(3);
    if (bitsAt > size || bitsSize > size - bitsAt || rowBytes * uint64_t(dibHeight) > bitsSize) {
        *why = "a picture record's bitmap reaches past the record";
        return false;
    }
    if (srcWidth <= 0 || srcHeight <= 0 || destWidth <= 0 || destHeight <= 0 || srcX < 0 ||
        srcY < 0 || srcX + srcWidth > dibWidth || srcY + srcHeight > dibHeight)
        return true;   // nothing to copy
    const uint8_t* bits = record + bitsAt;
    for (int y = std::max(0, destY); y < std::min(height, destY + destHeight); ++y) {
        const int sy = srcY + int(int64_t(y - destY) * srcHeight / destHeight);
        const int row = dibRows < 0 ? sy : dibHeight - 1 - sy;   // bottom-up unless negative
        for (int x = std::max(0, destX); x < std::min(width, destX + destWidth); ++x) {
            const int sx = srcX + int(int64_t(x - destX) * srcWidth / destWidth);
            const uint8_t* bgr = bits + uint64_t(row) * rowBytes + uint64_t(sx) * 3;
            uint8_t* out = rgba->data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
            out[3] = 255;
        }
    }
    return true;
}

}  // namespace

bool DrawMessageMetafile(const uint8_t* bytes, size_t size, int* width, int* height,
                         std::vector<uint8_t>* rgba, std::string* why) {
    if (!CheckEnhancedMetafile(bytes, size, why))
        return false;
    const int left = GetSigned(bytes + 8), top = GetSigned(bytes + 12);
    const int64_t w = int64_t(GetSigned(bytes + 16)) - left + 1;
    const int64_t h = int64_t(GetSigned(bytes + 20)) - top + 1;
    if (w <= 0 || h <= 0 || w > kMessageSide * 4 || h > kMessageSide * 4) {
        *why = "its bounds are not a picture of up to " + std::to_string(kMessageSide * 4) +
               " pixels a side";
        return false;
    }
    *width = int(w);
    *height = int(h);
    rgba->assign(size_t(w) * size_t(h) * 4, 0);
    const size_t declared = Get32(bytes + 48);
    for (size_t at = 0; at + 8 <= declared;) {
        const uint32_t type = Get32(bytes + at), recordSize = Get32(bytes + at + 4);
        if (type == kEmrEof)
            return true;
        if (type == kEmrStretchDiBits) {
            if (!DrawDibRecord(bytes + at, recordSize, left, top, *width, *height, rgba, why))
                return false;
        } else if (type != kEmrHeader && type != kEmrSetStretchBltMode) {
            *why = "it draws with record " + std::to_string(type) +
                   ", which only Windows draws (a picture or colour card made by tackon or "
                   "the page draws anywhere)";
            return false;
        }
        at += recordSize;
    }
    return true;
}

bool CheckEnhancedMetafile(const uint8_t* bytes, size_t size, std::string* why) {
    if (size < 88 || Get32(bytes) != kEmrHeader || Get32(bytes + 40) != kEmfSignature) {
        *why = "it does not start with an EMF header record";
        return false;
    }
    const uint32_t declared = Get32(bytes + 48);
    if (declared > size || declared < 88) {
        *why = "its header gives a size of " + std::to_string(declared) + " bytes for a file of " +
               std::to_string(size);
        return false;
    }
    size_t at = 0;
    while (at + 8 <= declared) {
        const uint32_t type = Get32(bytes + at), recordSize = Get32(bytes + at + 4);
        if (recordSize < 8 || recordSize % 4 != 0 || recordSize > declared - at) {
            *why = "record " + std::to_string(type) + " at byte " + std::to_string(at) +
                   " has a bad size of " + std::to_string(recordSize);
            return false;
        }
        if (type == kEmrEof)
            return true;
        at += recordSize;
    }
    *why = "it has no end-of-file record";
    return false;
}
