// Header checks of the payload files (see payload_checks.h).
#include "payload_checks.h"

#include <cstring>

#include "bytes/little_endian.h"

namespace {

bool StartsWith(const std::vector<uint8_t>& bytes, size_t at, const char* text) {
    size_t n = std::strlen(text);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, text, n) == 0;
}

uint32_t Le32At(const std::vector<uint8_t>& bytes, size_t at) {
    return ReadLe32(bytes.data() + at);
}

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmfSignature = 0x464D4520;   // " EMF" read as a little-endian word
constexpr size_t kEmfSignatureOffset = 40;

}  // namespace

bool LooksLikeGif(const std::vector<uint8_t>& bytes) {
    return StartsWith(bytes, 0, "GIF87a") || StartsWith(bytes, 0, "GIF89a");
}

bool LooksLikeEnhancedMetafile(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kEmfSignatureOffset + 4)
        return false;
    return Le32At(bytes, 0) == kEmrHeader && Le32At(bytes, kEmfSignatureOffset) == kEmfSignature;
}

SoundKind DetectSoundKind(const std::vector<uint8_t>& bytes) {
    if (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "WAVE"))
        return kSoundWave;
    if (StartsWith(bytes, 0, "MThd"))
        return kSoundMidi;
    return kSoundUnknown;
}
