// The tackon command line: which of its four commands is asked for (help, pack, --info,
// --extract) and, for packing, every option already checked and turned into the values
// the package holds. Files are only named here; they are read and checked when packing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_layout.h"

enum TackonMode { kModeHelp, kModePack, kModeInfo, kModeExtract };

struct PackRequest {
    std::string player, animation, message, logo, sound, output;   // empty = not given
    bool captionGiven;           // --caption TEXT
    std::string captionText;
    std::string captionFile;     // --caption-file F
    FontRecord font;
    uint32_t colour;             // COLORREF 0x00BBGGRR
    uint32_t startPlacement, endPlacement;
    bool about;
    bool replace;
};

struct TackonCommand {
    TackonMode mode;
    PackRequest pack;
    std::string packagePath;     // --info and --extract
    std::string extractFolder;   // --extract
};

// False with *error set to a one-line description of the first problem found.
bool ParseArguments(const std::vector<std::string>& args, TackonCommand* command,
                    std::string* error);
