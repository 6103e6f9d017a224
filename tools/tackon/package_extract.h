// tackon --extract: writes the payloads of a package back out as animation.gif,
// message.emf, logo.gif, sound.wav or sound.mid, and caption.txt when the caption is not
// empty.
#pragma once

#include <ostream>
#include <string>

// Exit code: 0 when every present payload was written, 1 otherwise (nothing is written
// for a package the player would refuse).
int ExtractPackage(const std::string& path, const std::string& folder, std::ostream& out,
                   std::ostream& err);
