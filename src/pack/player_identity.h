// What the executable part of a show is: not a Windows program at all, a Windows program of
// some other kind, or a Reelbox player with its version. A Reelbox player is known by the
// version block every build of the player carries (ProductName "Reelbox"); that tells a
// show apart from a file made by mistake from a picture, not a genuine player from a forgery.
// Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum PlayerKind { kNotWindowsProgram, kOtherWindowsProgram, kReelboxPlayer };

struct PlayerIdentity {
    PlayerKind kind;
    std::string version;   // ProductVersion of a Reelbox player; "" when it has none
};

// True when the bytes start with a DOS header whose new-header offset names a PE signature.
bool IsWindowsProgram(const uint8_t* bytes, size_t size);

PlayerIdentity IdentifyPlayer(const uint8_t* bytes, size_t size);

// One line for reports: "a Reelbox player, version 1.2.0", ...
std::string DescribePlayer(const PlayerIdentity& identity);
