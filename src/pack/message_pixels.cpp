// Reading message metafiles back into pixels (see message_pixels.h).
#include "pack/message_pixels.h"

#include "pack/message_metafile.h"
#include "pack/palette_image.h"

namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmrSetStretchBltMode = 21;
constexpr uint32_t kEmrStretchDiBits = 81;
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1;
constexpr int kLargestSide = 16384;

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The DIB of one EMR_STRETCHDIBITS record as 0xRRGGBB pixels, top-down.
bool ReadDib(const uint8_t* record, uint32_t recordSize, int* width, int* height, std::vector<uint32_t>* pixels) {
    if (recordSize < 120)
        return false;
    const uint32_t infoAt = Get32(record + 48), infoSize = Get32(record + 52);
    const uint32_t bitsAt = Get32(record + 56), bitsSize = Get32(record + 60);
    if (infoSize < 40 || infoAt > recordSize || infoSize > recordSize - infoAt || bitsAt > recordSize ||
        bitsSize > recordSize - bitsAt)
        return false;
    const uint8_t* info = record + infoAt;
    const int32_t w = int32_t(Get32(info + 4)), h = int32_t(Get32(info + 8));
    const int bitCount = info[14];
    const uint32_t compression = Get32(info + 16);
    if (w <= 0 || h <= 0 || w > kLargestSide || h > kLargestSide)
        return false;
    *width = w;
    *height = h;
    pixels->resize(size_t(w) * size_t(h));
    const uint8_t* bits = record + bitsAt;
    if (bitCount == 24 && compression == kBiRgb) {
        const size_t rowBytes = (size_t(w) * 3 + 3) & ~size_t(3);
        if (rowBytes * size_t(h) > bitsSize)
            return false;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = bits + size_t(h - 1 - y) * rowBytes + size_t(x) * 3;
                (*pixels)[size_t(y) * size_t(w) + size_t(x)] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
        return true;
    }
    if (bitCount != 8 || (compression != kBiRgb && compression != kBiRle8))
        return false;
    uint32_t colours = Get32(info + 32);
    if (colours == 0 || colours > 256)
        colours = 256;
    if (infoSize < 40 + 4 * colours)
        return false;
    std::vector<uint8_t> indices;
    if (compression == kBiRle8) {
        if (!DecodeRle8(bits, bitsSize, w, h, &indices))
            return false;
    } else {
        const size_t rowBytes = (size_t(w) + 3) & ~size_t(3);
        if (rowBytes * size_t(h) > bitsSize)
            return false;
        indices.resize(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                indices[size_t(y) * size_t(w) + size_t(x)] = bits[size_t(h - 1 - y) * rowBytes + size_t(x)];
    }
    for (size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] >= colours)
            return false;
        (*pixels)[i] = Get32(info + 40 + 4 * indices[i]) & 0xFFFFFF;
    }
    return true;
}

}  // namespace

bool DecodeMessagePixels(const uint8_t* emf, size_t size, int* side, std::vector<uint8_t>* rgba) {
    std::string why;
    if (!CheckEnhancedMetafile(emf, size, &why))
        return false;
    const int32_t left = int32_t(Get32(emf + 8)), top = int32_t(Get32(emf + 12));
    const int32_t right = int32_t(Get32(emf + 16)), bottom = int32_t(Get32(emf + 20));
    if (left != 0 || top != 0 || right != bottom || right < 0 || right >= kLargestSide)
        return false;
    const int s = right + 1;
    std::vector<uint32_t> canvas(size_t(s) * size_t(s), 0);
    for (size_t at = Get32(emf + 4); at + 8 <= size;) {
        const uint32_t type = Get32(emf + at), recordSize = Get32(emf + at + 4);
        if (type == kEmrEof)
            break;
        if (type == kEmrStretchDiBits) {
            int w = 0, h = 0;
            std::vector<uint32_t> dib;
            if (!ReadDib(emf + at, recordSize, &w, &h, &dib))
                return false;
            const int32_t x0 = int32_t(Get32(emf + at + 24)), y0 = int32_t(Get32(emf + at + 28));
            const int32_t cx = int32_t(Get32(emf + at + 72)), cy = int32_t(Get32(emf + at + 76));
            if (x0 < 0 || y0 < 0 || cx <= 0 || cy <= 0 || x0 + cx > s || y0 + cy > s)
                return false;
            for (int y = 0; y < cy; ++y)
                for (int x = 0; x < cx; ++x)
                    canvas[size_t(y0 + y) * size_t(s) + size_t(x0 + x)] =
                        dib[size_t(int64_t(y) * h / cy) * size_t(w) + size_t(int64_t(x) * w / cx)];
        } else if (type != kEmrHeader && type != kEmrSetStretchBltMode) {
            return false;
        }
        at += recordSize;
    }
    *side = s;
    rgba->resize(canvas.size() * 4);
    for (size_t i = 0; i < canvas.size(); ++i) {
        (*rgba)[4 * i] = uint8_t(canvas[i] >> 16);
        (*rgba)[4 * i + 1] = uint8_t(canvas[i] >> 8);
        (*rgba)[4 * i + 2] = uint8_t(canvas[i]);
        (*rgba)[4 * i + 3] = 0xFF;
    }
    return true;
}
