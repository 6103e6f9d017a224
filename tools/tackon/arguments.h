// The tackon command line: which of its five commands is asked for (help, pack, --info,
// --extract, --check) and, for packing, every option already checked and turned into the values
// the package holds. Files are only named here; they are read and checked when packing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_layout.h"
#include "option_values.h"

enum TackonMode { kModeHelp, kModePack, kModeInfo, kModeExtract, kModeCheck };

struct PackRequest {
    std::string player, animation, message, logo, sound, output;   // empty = not given
    std::string messageImage;    // --message-image F
    std::string webShow;         // --web-show F: the show as one HTML file
    uint32_t messageBackground;  // 0xRRGGBB behind the picture; default white
    bool messageColourGiven;     // --message-colour #RRGGBB
    uint32_t messageColour;      // 0xRRGGBB
    bool captionGiven;           // --caption TEXT
    std::string captionText;     // UTF-8
    std::string captionFile;     // --caption-file F, UTF-8
    int charset;                 // --charset; -1 = the first that holds the caption
    SoundQuality soundQuality;
    FontRecord font;
    uint32_t colour;             // COLORREF 0x00BBGGRR
    uint32_t startPlacement, endPlacement;
    bool about;
    bool replace;
};

struct TackonCommand {
    TackonMode mode;
    PackRequest pack;
    std::string packagePath;     // --info, --extract and --check
    std::string extractFolder;   // --extract
};

// False with *error set to a one-line description of the first problem found.
bool ParseArguments(const std::vector<std::string>& args, TackonCommand* command,
                    std::string* error);
