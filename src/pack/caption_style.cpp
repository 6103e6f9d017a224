// Caption style choice and paragraph direction (see caption_style.h).
#include "pack/caption_style.h"

#include <algorithm>
#include <vector>

#include "pack/caption_encoding.h"

namespace {

bool IsRightToLeft(uint32_t p) {
    return (p >= 0x0590 && p <= 0x08FF) || (p >= 0xFB1D && p <= 0xFDFF) ||
           (p >= 0xFE70 && p <= 0xFEFF) || (p >= 0x10800 && p <= 0x10FFF) ||
           (p >= 0x1E800 && p <= 0x1EFFF);
}

// Letters of left-to-right scripts, roughly: enough to find which way a paragraph starts.
// Digits, punctuation, symbols and emoji are neutral here.
bool IsLeftToRight(uint32_t p) {
    if ((p >= 'A' && p <= 'Z') || (p >= 'a' && p <= 'z'))
        return true;
    if (p >= 0x00C0 && p <= 0x058F)
        return p != 0x00D7 && p != 0x00F7;
    return (p >= 0x0900 && p <= 0x1FFF) || (p >= 0x2C00 && p <= 0x2DFF) ||
           (p >= 0x3040 && p <= 0xD7FF) || (p >= 0xF900 && p <= 0xFB1C);
}

}  // namespace

bool CaptionRunsRightToLeft(const std::string& utf8) {
    std::vector<uint32_t> points;
    if (!DecodeUtf8(utf8, &points))
        return false;
    for (uint32_t p : points) {
        if (IsRightToLeft(p))
            return true;
        if (IsLeftToRight(p))
            return false;
    }
    return false;
}

CaptionStyleChoice DefaultCaptionStyle(const std::string& utf8, int charset, int cell) {
    std::vector<uint32_t> points;
    if (!DecodeUtf8(utf8, &points) || points.empty())
        return {kCaptionStyleText, "a text caption: the player draws it with the receiver's fonts"};
    if (cell != kTextCaptionCell)
        return {kCaptionStylePicture, "a picture caption: it is placed away from the top left, where the "
                                      "player draws text captions"};
    if (charset != kCharsetAuto)
        return {kCaptionStyleText, "a text caption: its charset is given, and the player draws it in that "
                                   "code page with the receiver's fonts"};
    if (std::any_of(points.begin(), points.end(), IsRightToLeft))
        return {kCaptionStylePicture,
                "a picture caption: it is written right to left, which the player's own caption "
                "drawing does not lay out"};
    std::string bytes, error;
    int chosen = 0;
    if (!EncodeCaption(utf8, charset, &bytes, &chosen, &error))
        return {kCaptionStylePicture, "a picture caption: no Windows code page holds it (" + error + ")"};
    const CodePageTable* table = CodePageOfCharset(chosen);
    return {kCaptionStyleText, "a text caption: it fits the " + std::string(table->name) + " (" +
                                   std::to_string(table->codePage) + ") code page, and the player "
                                   "draws it with the receiver's fonts"};
}

const char* EastAsianScriptOfCharset(int charset) {
    switch (charset) {
    case 128: return "Japanese";
    case 129: return "Korean";
    case 134: return "Simplified Chinese";
    case 136: return "Traditional Chinese";
    default: return nullptr;
    }
}
