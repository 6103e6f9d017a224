// The web show tackon writes with --web-show: the built show in the web show template,
// which the web build writes and tackon reads from REELBOX_WEB_SHOW_TEMPLATE or from beside
// its own executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/pack_api.h"

constexpr char kWebShowTemplateName[] = "reelbox-web-show.html";

// The web show of show (built by packer) on the calm default backdrop. False with *error
// when the template is missing or the core refuses the show.
bool MakeWebShow(ReelboxPacker* packer, const std::vector<uint8_t>& show, std::vector<uint8_t>* page,
                 std::string* error);
