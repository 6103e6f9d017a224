// The Windows code pages a caption can be stored in, with their LOGFONT charsets, in the
// order they are tried when no charset is named (single-byte first, then the East Asian
// ones). The tables are generated (code_page_tables.cpp); see caption_encoding.h for their use.
#pragma once

#include <cstdint>

struct CodePageTable {
    int codePage;
    int charset;
    const char* name;
    const uint16_t* high;       // Unicode of bytes 0x80..0xFF; 0 undefined, 0xFFFF lead byte
    const uint8_t* leads;       // two-byte code pages: the lead bytes, ascending; else null
    const uint16_t* trails;     // per lead byte, Unicode of trail bytes 0x40..0xFF
    int leadCount;
};

constexpr int kCodePageTableCount = 14;
constexpr int kTrailCount = 0xC0;   // trail bytes 0x40..0xFF
constexpr uint16_t kLeadByte = 0xFFFF;
extern const CodePageTable kCodePageTables[kCodePageTableCount];
