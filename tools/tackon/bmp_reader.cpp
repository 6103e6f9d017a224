// Reading uncompressed Windows bitmaps (see bmp_reader.h).
#include "bmp_reader.h"

#include <cstdlib>

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

constexpr uint32_t kBiRgb = 0, kBiBitfields = 3;

}  // namespace

bool LooksLikeBmp(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

bool DecodeBmp(const std::vector<uint8_t>& bytes, DecodedPicture* picture, std::string* error) {
    if (bytes.size() < 14 + 40 || Le32(bytes, 14) < 40) {
        *error = "the bitmap has no BITMAPINFOHEADER (OS/2 and cut bitmaps are not read)";
        return false;
    }
    const uint32_t headerSize = Le32(bytes, 14);
    const long long width = int32_t(Le32(bytes, 18));
    const long long signedHeight = int32_t(Le32(bytes, 22));
    const int bits = Le16(bytes, 28);
    const uint32_t compression = Le32(bytes, 30);
    const bool topDown = signedHeight < 0;
    const long long height = std::llabs(signedHeight);
    if (!PictureFitsBudget(width, height, error))
        return false;
    const bool standardMasks = compression == kBiBitfields && bits == 32 && bytes.size() >= 66 &&
                               Le32(bytes, 54) == 0xFF0000 && Le32(bytes, 58) == 0xFF00 &&
                               Le32(bytes, 62) == 0xFF;
    if (!(compression == kBiRgb || standardMasks) ||
        !(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32)) {
        *error = "the bitmap is compressed or has " + std::to_string(bits) +
                 " bits a pixel; only uncompressed 1, 4, 8, 24 and 32-bit bitmaps are read";
        return false;
    }
    uint32_t paletteCount = Le32(bytes, 46);
    if (bits <= 8 && paletteCount == 0)
        paletteCount = 1u << bits;
    // In 64 bits: a header size near 4 GiB must not wrap round to the file header.
    const uint64_t paletteAt = uint64_t(14) + headerSize + (compression == kBiBitfields && headerSize == 40 ? 12 : 0);
    const size_t rowBytes = ((size_t(width) * bits + 31) / 32) * 4;
    const size_t pixelsAt = Le32(bytes, 10);
    if ((bits <= 8 && (paletteCount > 256 || paletteAt + 4 * uint64_t(paletteCount) > bytes.size())) ||
        pixelsAt > bytes.size() || rowBytes * size_t(height) > bytes.size() - pixelsAt) {
        *error = "the bitmap is shorter than its header says";
        return false;
    }
    picture->width = int(width);
    picture->height = int(height);
    picture->rgba.assign(size_t(width) * size_t(height) * 4, 255);
    for (long long y = 0; y < height; ++y) {
        const uint8_t* row = bytes.data() + pixelsAt + rowBytes * size_t(topDown ? y : height - 1 - y);
        uint8_t* out = picture->rgba.data() + size_t(y) * size_t(width) * 4;
        for (long long x = 0; x < width; ++x, out += 4) {
            const uint8_t* bgr;
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const int shift = 8 - bits * int(x % perByte + 1);
                const uint32_t index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
                if (index >= paletteCount) {
                    *error = "the bitmap uses a colour its palette lacks";
                    return false;
                }
                bgr = bytes.data() + size_t(paletteAt) + 4 * index;
            } else {
                bgr = row + x * (bits / 8);
            }
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return true;
}
