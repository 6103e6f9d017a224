// tackon --check: the packing core's checks on a finished show, printed a finding a line.
#pragma once

#include <ostream>
#include <string>

// Exit code: 0 when the player plays the show, 1 when it does not (or the file is unreadable).
int CheckShowFile(const std::string& path, std::ostream& out, std::ostream& err);
