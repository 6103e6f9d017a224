// A stored caption read back as UTF-8 for --info and --extract, with a note of the charset
// it was read in ("charset 204, Cyrillic (1251)"; shows made before charsets were stored
// say "charset 1, read as Western (1252)").
#pragma once

#include <string>

#include "package_reader.h"

struct CaptionText {
    std::string utf8;
    std::string charsetNote;
};

// The caption bytes the player keeps (at most 255) of an accepted package.
CaptionText ReadCaption(const LoadedPackage& package);
