// Reading an existing package for --info and --extract: the whole file, its trailer, and
// the verdict of the player's acceptance rules with the payloads they locate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_layout.h"
#include "package/trailer_location.h"

struct LoadedPackage {
    std::vector<uint8_t> bytes;
    TrailerLocation location;        // where the trailer ends: the file's end, or a signed
                                     // show's certificate table
    bool hasTrailer;                 // the package part is longer than a trailer
    PackageTrailerRecord trailer;    // zeroed when hasTrailer is false
    PackageVerdict verdict;
    PackagePayloads payloads;        // valid when verdict is kPackageAccepted
};

// False only when the file cannot be read; a file that is no package still loads, with a
// verdict other than kPackageAccepted.
bool LoadPackageFile(const std::string& path, LoadedPackage* package, std::string* error);
