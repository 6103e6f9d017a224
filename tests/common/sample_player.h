// A stand-in for the player in tests that pack shows without running them: the MZ and PE
// signatures and a version block naming Reelbox, padded with varied bytes to the size asked
// for (at least 512).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> SamplePlayer(size_t size, const char* productName = "Reelbox") {
    std::vector<uint8_t> bytes(size < 512 ? 512 : size);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 31 + 7);
    auto put = [&](size_t at, const std::string& text) {
        for (size_t k = 0; k < text.size(); ++k)
            bytes[at + k] = uint8_t(text[k]);
    };
    auto putWide = [&](size_t at, const std::string& text) {   // with its terminator
        for (size_t k = 0; k <= text.size(); ++k) {
            bytes[at + 2 * k] = k < text.size() ? uint8_t(text[k]) : 0;
            bytes[at + 2 * k + 1] = 0;
        }
    };
    std::fill(bytes.begin() + 0x100, bytes.begin() + 0x200, uint8_t(0));   // the version block
    put(0, "MZ");
    put(0x3C, std::string("\x80\0\0\0", 4));
    put(0x80, std::string("PE\0\0", 4));
    putWide(0x100, "VS_VERSION_INFO");
    putWide(0x140, "ProductName");
    putWide(0x158, productName);
    putWide(0x180, "ProductVersion");
    putWide(0x1A0, "9.8.7");
    return bytes;
}
