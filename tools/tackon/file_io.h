// Whole-file reading and all-or-nothing writing for tackon. Paths are UTF-8 strings in every
// build; tackon.exe opens them by their wide (UTF-16) names. A written file appears under its
// name only once it is complete: the bytes go to a temporary file in the same folder, which
// is then renamed over the target, and removed again if anything fails.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

std::filesystem::path PathFromUtf8(const std::string& path);
std::string Utf8FromPath(const std::filesystem::path& path);

// False with *error set ("cannot read <what> 'path'...", "<what> 'path' is empty") when the
// file cannot be read, is empty, or is larger than the packing core's input limit.
bool ReadWholeFile(const std::string& path, const char* what, std::vector<uint8_t>* bytes,
                   std::string* error);

// True when both paths name one existing file (same device and inode; on Windows the same
// volume and file ID), however they are spelt: links and "./" included.
bool SameFile(const std::string& first, const std::string& second);

// A name in target's folder that no file has yet; false with *error when the folder cannot
// be searched.
bool TemporaryPathBeside(const std::string& target, std::string* temporary, std::string* error);

// Writes the blocks one after another into path. A read-only target is refused; a replaced
// target keeps its permissions. On failure the target is untouched and no temporary file is
// left.
bool WriteFileAtomically(const std::string& path, const std::vector<const std::vector<uint8_t>*>& blocks,
                         std::string* error);
