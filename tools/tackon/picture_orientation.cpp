// Exif orientation (see picture_orientation.h).
#include "picture_orientation.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

// The orientation in an APP1 segment's data ("Exif\0\0" and a TIFF block).
int ExifOrientation(const uint8_t* data, size_t size) {
    if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    const uint8_t* tiff = data + 6;
    const size_t length = size - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    auto u16 = [&](size_t at) -> uint32_t {
        return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
    };
    auto u32 = [&](size_t at) -> uint32_t { return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2); };
    const uint32_t ifd = u32(4);
    if (ifd > length - 2 || ifd < 8)
        return 1;
    const uint32_t entries = u16(ifd);
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t at = ifd + 2 + size_t(i) * 12;
        if (at + 12 > length)
            return 1;
        if (u16(at) == kOrientationTag && u16(at + 2) == kTypeShort) {
            const int value = int(u16(at + 8));
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

}  // namespace

int JpegOrientation(const std::vector<uint8_t>& jpeg) {
    constexpr uint8_t kApp1 = 0xE1, kStartOfScan = 0xDA;
    size_t at = 2;   // after the start-of-image marker
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        const uint8_t marker = jpeg[at + 1];
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (marker == kStartOfScan || length < 2 || at + 2 + length > jpeg.size())
            break;
        if (marker == kApp1) {
            const int orientation = ExifOrientation(jpeg.data() + at + 4, length - 2);
            if (orientation != 1)
                return orientation;
        }
        at += 2 + length;
    }
    return 1;
}

void ApplyOrientation(int orientation, DecodedPicture* picture) {
    if (orientation < 2 || orientation > 8)
        return;
    const int w = picture->width, h = picture->height;
    const bool swaps = orientation >= 5;
    const int outWidth = swaps ? h : w, outHeight = swaps ? w : h;
    std::vector<uint8_t> turned(picture->rgba.size());
    for (int y = 0; y < outHeight; ++y)
        for (int x = 0; x < outWidth; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2: sx = w - 1 - x; break;                       // mirrored
            case 3: sx = w - 1 - x; sy = h - 1 - y; break;       // half turn
            case 4: sy = h - 1 - y; break;                       // mirrored upside down
            case 5: sx = y; sy = x; break;                       // transposed
            case 6: sx = y; sy = h - 1 - x; break;               // quarter turn clockwise
            case 7: sx = w - 1 - y; sy = h - 1 - x; break;       // transverse
            case 8: sx = w - 1 - y; sy = x; break;               // quarter turn anticlockwise
            }
            std::memcpy(&turned[(size_t(y) * outWidth + x) * 4], &picture->rgba[(size_t(sy) * w + sx) * 4], 4);
        }
    picture->rgba.swap(turned);
    picture->width = outWidth;
    picture->height = outHeight;
}
