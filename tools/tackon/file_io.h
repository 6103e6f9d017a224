// Whole-file reading and all-or-nothing writing for tackon. A written file appears under
// its name only once it is complete: the bytes go to a temporary file in the same folder,
// which is then renamed over the target, and removed again if anything fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False with *error set ("cannot read <what> 'path'") when the file cannot be read.
bool ReadWholeFile(const std::string& path, const char* what, std::vector<uint8_t>* bytes,
                   std::string* error);

// A name in target's folder that no file has yet: "<target>.tackon-<number>.tmp".
std::string TemporaryPathBeside(const std::string& target);
// Writes the blocks one after another into path. On failure the target is untouched and
// no temporary file is left.
bool WriteFileAtomically(const std::string& path, const std::vector<const std::vector<uint8_t>*>& blocks,
                         std::string* error);
