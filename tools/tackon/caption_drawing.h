// Picture captions drawn by tackon: the caption text laid out by the packing core's rules
// (size, margin, wrapping width, place, outline) and drawn onto the message square the core
// hands out. Native tackon draws with Pango and Cairo (fontconfig finds the fonts, colour
// emoji included); tackon.exe refuses picture captions.
#pragma once

#include <string>

#include "arguments.h"
#include "pack/pack_api.h"

// False with *error when the caption cannot be drawn (no picture or colour message, or
// tackon.exe).
bool DrawPictureCaption(ReelboxPacker* packer, const std::string& utf8, const PackRequest& request,
                        std::string* error);
