// Parsing of cell, font and colour option values (see option_values.h).
#include "option_values.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pack/pack_api.h"

const char kDefaultFontFace[] = "Arial";

namespace {

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        parts.push_back(Trimmed(text.substr(start, comma - start)));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

bool ParseHeight(const std::string& text, int32_t* height) {
    if (text.empty() || text.size() > 6)
        return false;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size())
        return false;
    for (size_t k = i; k < text.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(text[k])))
            return false;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value == 0 || value > REELBOX_PACK_FONT_HEIGHT_LIMIT || value < -REELBOX_PACK_FONT_HEIGHT_LIMIT)
        return false;
    *height = int32_t(value);
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ParsePlacement(const std::string& text, uint32_t* code) {
    const int cell = ReelboxPackCellFromName(text.c_str());
    if (cell < 0)
        return false;
    *code = uint32_t(cell);
    return true;
}

const char* PlacementName(uint32_t code) {
    const char* name = code < uint32_t(ReelboxPackCellCount()) ? ReelboxPackCellName(int(code)) : "";
    return *name ? name : nullptr;
}

bool OnScreenGrid(uint32_t code) {
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            if (uint32_t(ReelboxPackCellAt(row, column)) == code)
                return true;
    return false;
}

std::string PlacementNamesText(bool gridOnly) {
    std::string text;
    for (int cell = 0; cell < ReelboxPackCellCount(); ++cell)
        if (!gridOnly || OnScreenGrid(uint32_t(cell)))
            text += (text.empty() ? "" : ", ") + std::string(ReelboxPackCellName(cell));
    return text;
}

FontRecord DefaultFontRecord() {
    FontRecord font;
    std::memset(&font, 0, sizeof font);
    font.height = kDefaultFontHeight;
    font.weight = kWeightNormal;
    font.charSet = kDefaultCharSet;
    std::memcpy(font.faceName, kDefaultFontFace, sizeof kDefaultFontFace);
    return font;
}

bool ParseFontSpec(const std::string& text, FontRecord* font, std::string* error) {
    std::vector<std::string> parts = SplitAtCommas(text);
    if (parts.size() < 2 || parts.size() > 4) {
        *error = "bad font '" + text + "' (use \"Face,height[,bold][,italic]\")";
        return false;
    }
    const std::string& face = parts[0];
    if (face.empty()) {
        *error = "bad font '" + text + "': empty face name";
        return false;
    }
    if (face.size() > REELBOX_PACK_FACE_NAME_BYTES) {
        *error = "font face '" + face + "' is " + std::to_string(face.size()) +
                 " bytes; at most " + std::to_string(REELBOX_PACK_FACE_NAME_BYTES) + " fit";
        return false;
    }
    FontRecord result = DefaultFontRecord();
    if (!ParseHeight(parts[1], &result.height)) {
        *error = "bad font height '" + parts[1] + "' (a non-zero whole number from -" +
                 std::to_string(REELBOX_PACK_FONT_HEIGHT_LIMIT) + " to " +
                 std::to_string(REELBOX_PACK_FONT_HEIGHT_LIMIT) + ")";
        return false;
    }
    bool bold = false, italic = false;
    for (size_t i = 2; i < parts.size(); ++i) {
        if (parts[i] == "bold" && !bold) {
            bold = true;
        } else if (parts[i] == "italic" && !italic) {
            italic = true;
        } else {
            *error = "bad font style '" + parts[i] + "' (use bold and/or italic, once each)";
            return false;
        }
    }
    result.weight = bold ? kWeightBold : kWeightNormal;
    result.italic = italic ? 1 : 0;
    std::memset(result.faceName, 0, kFaceNameSize);
    std::memcpy(result.faceName, face.data(), face.size());
    *font = result;
    return true;
}

bool ParseColour(const std::string& text, uint32_t* colourRef) {
    if (text.size() != 7 || text[0] != '#')
        return false;
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        int digit = HexDigit(text[i]);
        if (digit < 0)
            return false;
        rgb = rgb << 4 | uint32_t(digit);
    }
    uint32_t red = rgb >> 16 & 0xFF, green = rgb >> 8 & 0xFF, blue = rgb & 0xFF;
    *colourRef = blue << 16 | green << 8 | red;
    return true;
}

bool ParseSoundQuality(const std::string& text, SoundQuality* quality) {
    if (text == "standard")
        *quality = SoundQuality{22050, 1};
    else if (text == "high")
        *quality = SoundQuality{44100, 1};
    else if (text == "stereo")
        *quality = SoundQuality{44100, 2};
    else
        return false;
    return true;
}
