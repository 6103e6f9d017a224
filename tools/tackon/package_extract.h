// tackon --extract: writes the payloads of a package back out as animation.gif,
// message.emf, logo.gif, sound.wav or sound.mid, and caption.txt when the caption is not
// empty.
#pragma once

#include <ostream>
#include <string>

// Exit code: 0 when every present payload was written, 1 otherwise. Nothing is written for
// a package the player would refuse, nor, unless force is set, when a file to be written
// already exists.
int ExtractPackage(const std::string& path, const std::string& folder, bool force,
                   std::ostream& out, std::ostream& err);
