// Packing a show: reads the files a request names, decodes the pictures and sounds the
// player cannot use as they are (picture_decoding.h, sound_decoding.h), hands everything to
// the packing core (src/pack/pack_api.h), prints the core's checks and writes the show.
// Every input is read and checked before the output is written, and the output appears
// only when it is complete.
#pragma once

#include <ostream>
#include <string>

#include "arguments.h"

bool PackShow(const PackRequest& request, std::ostream& out, std::string* error);
