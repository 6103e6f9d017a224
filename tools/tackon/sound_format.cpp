// Recognising the compressed sound formats by their first bytes (see sound_decoding.h).
#include "sound_decoding.h"

#include <cstring>

bool LooksLikeCompressedSound(const std::vector<uint8_t>& b) {
    auto startsWith = [&](const char* text, size_t n) {
        return b.size() >= n && std::memcmp(b.data(), text, n) == 0;
    };
    const bool mpegFrame = b.size() >= 2 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0;
    return startsWith("ID3", 3) || mpegFrame || startsWith("OggS", 4) || startsWith("fLaC", 4);
}
