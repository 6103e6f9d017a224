// Command-line parsing for tackon (see arguments.h). Options take their value either as
// the next argument or after '=' ("--start=centre").
#include "arguments.h"

#include <set>

#include "option_values.h"
#include "pack/pack_api.h"
#include "show_signing.h"

namespace {

struct Cursor {
    const std::vector<std::string>& args;
    size_t next;
};

bool TakesValue(const std::string& name) {
    static const std::set<std::string> kValued = {
        "--player", "--animation", "--message", "--caption", "--caption-file", "--font",
        "--colour", "--logo",      "--sound",   "--start",   "--end",          "-o",
        "--output", "--info",      "--message-image", "--message-background", "--message-colour",
        "--charset", "--sound-quality", "--check",
        "--caption-style", "--caption-position", "--web-show",
    };
    return kValued.count(name) != 0 || IsValuedSignOption(name);
}

bool IsFlag(const std::string& name) {
    return name == "--about" || name == "--replace" || name == "--help" || name == "-h" ||
           name == "--extract" || name == "--force" || name == "--no-caption-outline" ||
           name == "--sign";
}

bool ApplyPackOption(const std::string& name, const std::string& value, PackRequest* pack,
                     std::string* error) {
    if (name == "--player") pack->player = value;
    else if (name == "--animation") pack->animation = value;
    else if (name == "--message") pack->message = value;
    else if (name == "--logo") pack->logo = value;
    else if (name == "--sound") pack->sound = value;
    else if (name == "-o" || name == "--output") pack->output = value;
    else if (name == "--caption-file") pack->captionFile = value;
    else if (name == "--message-image") pack->messageImage = value;
    else if (name == "--web-show") pack->webShow = value;
    else if (name == "--message-background" || name == "--message-colour") {
        uint32_t colourRef;
        if (!ParseColour(value, &colourRef)) {
            *error = "bad colour '" + value + "' for " + name + " (use #RRGGBB, for example #FF8000)";
            return false;
        }
        uint32_t rgb = (colourRef & 0xFF) << 16 | (colourRef & 0xFF00) | (colourRef >> 16 & 0xFF);
        if (name == "--message-background") {
            pack->messageBackground = rgb;
        } else {
            pack->messageColourGiven = true;
            pack->messageColour = rgb;
        }
    } else if (name == "--charset") {
        pack->charset = ReelboxPackCharsetFromName(value.c_str());
        if (pack->charset < 0) {
            *error = "unknown charset '" + value + "' (use a name such as russian or easteurope, "
                     "a code page such as 1251, or a charset number such as 204)";
            return false;
        }
    } else if (name == "--sound-quality") {
        if (!ParseSoundQuality(value, &pack->soundQuality)) {
            *error = "unknown sound quality '" + value + "' (use standard, high or stereo)";
            return false;
        }
    }
    else if (name == "--caption-style") {
        if (value != "text" && value != "picture") {
            *error = "unknown caption style '" + value + "' (use text or picture)";
            return false;
        }
        pack->captionStyle = value == "text" ? REELBOX_PACK_CAPTION_TEXT : REELBOX_PACK_CAPTION_PICTURE;
    } else if (name == "--caption-position") {
        if (!ParsePlacement(value, &pack->captionPosition) || !OnScreenGrid(pack->captionPosition)) {
            *error = "unknown place '" + value + "' for --caption-position (use " +
                     PlacementNamesText(true) + ", or the number of one)";
            return false;
        }
    } else if (name == "--caption") {
        pack->captionGiven = true;
        pack->captionText = value;
    } else if (name == "--font") {
        return ParseFontSpec(value, &pack->font, error);
    } else if (name == "--colour") {
        if (!ParseColour(value, &pack->colour)) {
            *error = "bad colour '" + value + "' (use #RRGGBB, for example #FF8000)";
            return false;
        }
    } else if (name == "--start" || name == "--end") {
        uint32_t* code = name == "--start" ? &pack->startPlacement : &pack->endPlacement;
        if (!ParsePlacement(value, code)) {
            *error = "unknown cell '" + value + "' for " + name + " (use " + PlacementNamesText(false) +
                     ", or the number of one)";
            return false;
        }
    }
    return true;
}

bool CheckPackRequest(const PackRequest& pack, std::string* error) {
    if (pack.player.empty()) {
        *error = "missing --player (the player executable to pack onto)";
        return false;
    }
    if (pack.animation.empty()) {
        *error = "missing --animation (the animation GIF)";
        return false;
    }
    if (pack.output.empty() && pack.webShow.empty()) {
        *error = "missing -o (the package to write) or --web-show (the web show)";
        return false;
    }
    const int messages = !pack.message.empty() + !pack.messageImage.empty() + pack.messageColourGiven;
    if (messages > 1) {
        *error = "give one of --message, --message-image and --message-colour";
        return false;
    }
    if (pack.messageBackground != kDefaultMessageBackground && pack.messageImage.empty()) {
        *error = "--message-background needs --message-image";
        return false;
    }
    if (pack.captionStyle == REELBOX_PACK_CAPTION_TEXT && pack.captionPosition != kDefaultCaptionPosition) {
        *error = "--caption-position needs a picture caption: the player draws text captions at the top left";
        return false;
    }
    if (pack.captionGiven && !pack.captionFile.empty()) {
        *error = "give either --caption or --caption-file, not both";
        return false;
    }
    return CheckSignRequest(pack.sign, error);
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, TackonCommand* command,
                    std::string* error) {
    command->mode = kModePack;
    command->pack = PackRequest();
    command->pack.captionGiven = false;
    command->pack.messageBackground = kDefaultMessageBackground;
    command->pack.messageColourGiven = false;
    command->pack.messageColour = 0;
    command->pack.charset = REELBOX_PACK_CHARSET_AUTO;
    command->pack.captionStyle = -1;
    command->pack.captionPosition = kDefaultCaptionPosition;
    command->pack.captionOutline = true;
    command->pack.soundQuality = SoundQuality{REELBOX_PACK_SOUND_RATE, 1};
    command->pack.font = DefaultFontRecord();
    command->pack.colour = kDefaultColour;
    command->pack.startPlacement = kDefaultPlacement;
    command->pack.endPlacement = kDefaultPlacement;
    command->pack.about = false;
    command->pack.replace = false;
    command->packagePath.clear();
    command->extractFolder.clear();
    command->force = false;

    if (args.empty()) {
        *error = "nothing to do (see tackon --help)";
        return false;
    }
    std::set<std::string> seen;
    bool anyPackOption = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            inlineValue = true;
        }
        if (!TakesValue(name) && !IsFlag(name)) {
            *error = name.rfind("-", 0) == 0 ? "unknown option '" + name + "'"
                                             : "unexpected argument '" + name + "'";
            return false;
        }
        std::string canonical = name == "--output" ? "-o" : name == "-h" ? "--help" : name;
        if (!seen.insert(canonical).second) {
            *error = "option " + name + " given twice";
            return false;
        }
        if (name == "--help" || name == "-h") {
            command->mode = kModeHelp;
            continue;
        }
        if (name == "--extract") {
            if (inlineValue || i + 2 >= args.size()) {
                *error = "--extract needs a package and a folder: --extract show.exe DIR";
                return false;
            }
            command->mode = kModeExtract;
            command->packagePath = args[++i];
            command->extractFolder = args[++i];
            continue;
        }
        if (TakesValue(name) && !inlineValue) {
            if (i + 1 >= args.size()) {
                *error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
        } else if (!TakesValue(name) && inlineValue) {
            *error = "option " + name + " takes no value";
            return false;
        }
        if (name == "--force") {
            command->force = true;
            continue;
        }
        if (name == "--info" || name == "--check") {
            command->mode = name == "--info" ? kModeInfo : kModeCheck;
            command->packagePath = value;
            continue;
        }
        anyPackOption = true;
        if (name == "--about") command->pack.about = true;
        else if (name == "--replace") command->pack.replace = true;
        else if (name == "--no-caption-outline") command->pack.captionOutline = false;
        else if (ApplySignOption(name, value, &command->pack.sign)) continue;
        else if (!ApplyPackOption(name, value, &command->pack, error)) return false;
    }

    if (seen.count("--help")) {
        command->mode = kModeHelp;
        return true;
    }
    if (seen.count("--info") + seen.count("--extract") + seen.count("--check") > 1 ||
        (command->mode != kModePack && anyPackOption)) {
        *error = "--info, --extract and --check take no other options";
        return false;
    }
    if (command->force && command->mode != kModeExtract) {
        *error = "--force goes with --extract";
        return false;
    }
    if (command->mode == kModePack)
        return CheckPackRequest(command->pack, error);
    return true;
}
