// The tackon command line: which of its five commands is asked for (help, pack, --info,
// --extract, --check) and, for packing, every option already checked and turned into the values
// the package holds. Files are only named here; they are read and checked when packing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_layout.h"
#include "option_values.h"
#include "show_signing.h"

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
    int captionStyle;            // --caption-style: REELBOX_PACK_CAPTION_TEXT or _PICTURE; -1 = by the text
    uint32_t captionPosition;    // --caption-position: a cell 0..8 of the message; default top-left
    bool captionOutline;         // off with --no-caption-outline
    SoundQuality soundQuality;
    FontRecord font;
    uint32_t colour;             // COLORREF 0x00BBGGRR
    uint32_t startPlacement, endPlacement;
    bool about;
    bool replace;
    SignRequest sign;            // --sign and its options
};

struct TackonCommand {
    TackonMode mode;
    PackRequest pack;
    std::string packagePath;     // --info, --extract and --check
    std::string extractFolder;   // --extract
    bool force;                  // --force: --extract replaces files that exist
};

// False with *error set to a one-line description of the first problem found (a usage
// error: tackon exits with status 2).
bool ParseArguments(const std::vector<std::string>& args, TackonCommand* command,
                    std::string* error);
