// The two caption styles and the rules the front ends share about them: which style a
// caption gets by default and why, which way its paragraph runs, and which East Asian
// script a text caption's charset needs a font for on the receiver's machine.
//   text:    stored in a code page and drawn by the player with the receiver's fonts;
//   picture: drawn by the authoring tool into the message picture (any script, emoji).
#pragma once

#include <string>

enum CaptionStyle { kCaptionStyleText = 0, kCaptionStylePicture = 1 };

struct CaptionStyleChoice {
    CaptionStyle style;
    std::string reason;   // one sentence for the author
};

// The place where the player draws text captions: the message's top left.
constexpr int kTextCaptionCell = 1;

// text when a charset is given or one code page holds the caption, picture when none does,
// when any of it is written right to left, which the player's caption drawing cannot lay
// out, or when it is placed in another cell than kTextCaptionCell.
CaptionStyleChoice DefaultCaptionStyle(const std::string& utf8, int charset, int cell);

// True when the caption's first strongly directed letter is Hebrew, Arabic or another
// right-to-left script: its paragraph then runs right to left.
bool CaptionRunsRightToLeft(const std::string& utf8);

// "Japanese", "Korean", "Simplified Chinese" or "Traditional Chinese" for the charsets of
// the East Asian code pages; null for any other.
const char* EastAsianScriptOfCharset(int charset);
