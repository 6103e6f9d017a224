// Writing a package: the player (stripped of any package it already carries, when asked),
// then the animation, message, logo and sound in that order, the caption text and the
// 152-byte trailer. Every input is read and checked before the output is written, and the
// output appears only when it is complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arguments.h"
#include "package/package_layout.h"

// The trailer for the given payload sizes and options, with tackon's fixed values in the
// fields the player does not read. Absent payloads are passed with present 0.
PackageTrailerRecord MakeTrailer(const PackRequest& request, uint32_t captionLength,
                                 const PayloadEntry& animation, const PayloadEntry& message,
                                 const PayloadEntry& sound, const PayloadEntry& logo);

// When the last 152 bytes of the player hold a trailer the player would accept, the player
// already carries a package: without replace that is an error, with it the package is cut
// off (the player ends where the animation begins).
bool TakeBarePlayer(std::vector<uint8_t>* player, bool replace, const std::string& path,
                    std::string* error);

bool PackShow(const PackRequest& request, std::string* error);
