// Captions between UTF-8 and the Windows code page a font charset draws in: choosing the
// charset that holds a text, converting to its bytes, and reading stored bytes back.
// Conversion is strict: a character without its own code in the code page does not fit
// (no best-fit substitutes, which would change the text).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/code_page_tables.h"

constexpr int kCharsetAuto = -1;
constexpr int kCharsetWestern = 0;
constexpr int kCharsetDefault = 1;   // DEFAULT_CHARSET, stored by shows made before charsets

// The code points of utf8; false when it is not well-formed UTF-8 (overlong forms and
// surrogates included).
bool DecodeUtf8(const std::string& text, std::vector<uint32_t>* points);

// The table of a charset; null when the charset has none.
const CodePageTable* CodePageOfCharset(int charset);

// Converts utf8 to the code page of charset (kCharsetAuto: the first charset that holds the
// text, East Asian text chosen by script). False with *error naming the first character that
// does not fit, or the malformed UTF-8.
bool EncodeCaption(const std::string& utf8, int charset, std::string* bytes, int* chosen,
                   std::string* error);

// Stored bytes back to UTF-8; charsets without a table are read as Western 1252 and
// *readAs says which charset was used. Undefined bytes become U+FFFD.
std::string DecodeCaption(const std::string& bytes, int charset, int* readAs);

// "russian", "EASTEUROPE", "cp1251", "1251" or "204" into a charset; -1 when unknown.
int CharsetFromName(const std::string& name);
