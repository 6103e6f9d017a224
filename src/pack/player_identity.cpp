// Telling what the executable part of a show is (see player_identity.h).
#include "pack/player_identity.h"

#include <cstring>

#include "bytes/little_endian.h"

namespace {

constexpr size_t kNewHeaderOffsetField = 0x3C;
// How far after "ProductName" its value may start (the key's terminator and padding).
constexpr size_t kValueSearch = 8;
constexpr size_t kLongestValue = 64;

// Offset of the UTF-16LE form of the ASCII text key at or after from; size when absent.
size_t FindUtf16(const uint8_t* bytes, size_t size, size_t from, const char* key) {
    const size_t length = std::strlen(key);
    if (size < 2 * length)
        return size;
    for (size_t at = from; at + 2 * length <= size; ++at) {
        size_t k = 0;
        while (k < length && bytes[at + 2 * k] == uint8_t(key[k]) && bytes[at + 2 * k + 1] == 0)
            ++k;
        if (k == length)
            return at;
    }
    return size;
}

// The printable ASCII value that follows a version-block key found at or after from, or "".
std::string ValueAfter(const uint8_t* bytes, size_t size, size_t from, const char* key) {
    const size_t at = FindUtf16(bytes, size, from, key);
    if (at == size)
        return std::string();
    size_t cursor = at + 2 * std::strlen(key);
    const size_t searchEnd = cursor + kValueSearch;
    while (cursor + 1 < size && cursor < searchEnd && bytes[cursor] == 0 && bytes[cursor + 1] == 0)
        cursor += 2;
    std::string value;
    while (cursor + 1 < size && value.size() < kLongestValue && bytes[cursor + 1] == 0 &&
           bytes[cursor] >= 0x20 && bytes[cursor] < 0x7F) {
        value += char(bytes[cursor]);
        cursor += 2;
    }
    return value;
}

}  // namespace

bool IsWindowsProgram(const uint8_t* bytes, size_t size) {
    if (size < kNewHeaderOffsetField + 4 || bytes[0] != 'M' || bytes[1] != 'Z')
        return false;
    const uint64_t peAt = ReadLe32(bytes + kNewHeaderOffsetField);
    return peAt + 4 <= size && std::memcmp(bytes + peAt, "PE\0\0", 4) == 0;
}

PlayerIdentity IdentifyPlayer(const uint8_t* bytes, size_t size) {
    PlayerIdentity identity = {kNotWindowsProgram, std::string()};
    if (!IsWindowsProgram(bytes, size))
        return identity;
    identity.kind = kOtherWindowsProgram;
    const size_t block = FindUtf16(bytes, size, 0, "VS_VERSION_INFO");
    if (block == size || ValueAfter(bytes, size, block, "ProductName") != "Reelbox")
        return identity;
    identity.kind = kReelboxPlayer;
    identity.version = ValueAfter(bytes, size, block, "ProductVersion");
    return identity;
}

std::string DescribePlayer(const PlayerIdentity& identity) {
    switch (identity.kind) {
    case kNotWindowsProgram:
        return "not a Windows program (no MZ and PE headers)";
    case kOtherWindowsProgram:
        return "a Windows program, but not a Reelbox player (its version block does not name "
               "Reelbox)";
    case kReelboxPlayer:
        break;
    }
    return "a Reelbox player, version " + (identity.version.empty() ? "unknown" : identity.version);
}
