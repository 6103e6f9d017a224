// Caption conversion between UTF-8 and the Windows code pages (see caption_encoding.h).
#include "pack/caption_encoding.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// Unicode -> byte code (one byte, or lead << 8 | trail), sorted by Unicode; built once a
// code page from its decoding table. Where two codes decode to the same character the
// lower code is kept.
using ReverseTable = std::vector<std::pair<uint16_t, uint16_t>>;

const ReverseTable& ReverseOf(int index) {
    static ReverseTable tables[kCodePageTableCount];
    ReverseTable& reverse = tables[index];
    if (!reverse.empty())
        return reverse;
    const CodePageTable& table = kCodePageTables[index];
    for (int b = 0x80; b < 0x100; ++b) {
        uint16_t unicode = table.high[b - 0x80];
        if (unicode != 0 && unicode != kLeadByte)
            reverse.push_back({unicode, uint16_t(b)});
    }
    for (int i = 0; i < table.leadCount; ++i)
        for (int t = 0; t < kTrailCount; ++t) {
            uint16_t unicode = table.trails[i * kTrailCount + t];
            if (unicode != 0)
                reverse.push_back({unicode, uint16_t(table.leads[i] << 8 | (0x40 + t))});
        }
    std::stable_sort(reverse.begin(), reverse.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return reverse;
}

int TableIndex(int charset) {
    for (int i = 0; i < kCodePageTableCount; ++i)
        if (kCodePageTables[i].charset == charset)
            return i;
    return -1;
}

}  // namespace

bool DecodeUtf8(const std::string& text, std::vector<uint32_t>* points) {
    size_t i = 0;
    while (i < text.size()) {
        uint8_t b = uint8_t(text[i]);
        int extra;
        if (b < 0x80)
            extra = 0;
        else if (b >= 0xC2 && b <= 0xDF)
            extra = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            extra = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= text.size())
            return false;
        uint32_t point = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            uint8_t c = uint8_t(text[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            point = point << 6 | (c & 0x3F);
        }
        static const uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
        if (point < kSmallest[extra] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
            return false;
        points->push_back(point);
        i += size_t(extra) + 1;
    }
    return true;
}

namespace {

void AppendUtf8(uint32_t point, std::string* out) {
    if (point < 0x80) {
        out->push_back(char(point));
    } else if (point < 0x800) {
        out->push_back(char(0xC0 | point >> 6));
        out->push_back(char(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out->push_back(char(0xE0 | point >> 12));
        out->push_back(char(0x80 | (point >> 6 & 0x3F)));
        out->push_back(char(0x80 | (point & 0x3F)));
    } else {
        out->push_back(char(0xF0 | point >> 18));
        out->push_back(char(0x80 | (point >> 12 & 0x3F)));
        out->push_back(char(0x80 | (point >> 6 & 0x3F)));
        out->push_back(char(0x80 | (point & 0x3F)));
    }
}

// The (letter, letter written, mark) triple of a letter the table writes in two parts.
const uint16_t* FindSplit(const CodePageTable& table, uint32_t point) {
    int low = 0, high = table.splitCount - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const uint16_t* triple = table.splits + 3 * middle;
        if (triple[0] == point)
            return triple;
        if (triple[0] < point)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return nullptr;
}

// Encodes into table index; returns the number of characters that fit before the first one
// that does not (points.size() when all fit).
size_t EncodeInto(int index, const std::vector<uint32_t>& points, std::string* bytes) {
    const ReverseTable& reverse = ReverseOf(index);
    bytes->clear();
    for (size_t i = 0; i < points.size(); ++i) {
        uint32_t point = points[i];
        if (point < 0x80) {
            bytes->push_back(char(point));
            continue;
        }
        auto found = std::lower_bound(reverse.begin(), reverse.end(), point,
                                      [](const auto& entry, uint32_t p) { return entry.first < p; });
        if (point <= 0xFFFF && (found == reverse.end() || found->first != point)) {
            const uint16_t* split = FindSplit(kCodePageTables[index], point);
            if (!split)
                return i;
            // The letter written as a letter and a combining mark, both single bytes.
            found = std::lower_bound(reverse.begin(), reverse.end(), split[1],
                                     [](const auto& entry, uint32_t p) { return entry.first < p; });
            const auto mark = std::lower_bound(reverse.begin(), reverse.end(), split[2],
                                               [](const auto& entry, uint32_t p) { return entry.first < p; });
            bytes->push_back(char(split[1] < 0x80 ? split[1] : found->second));
            bytes->push_back(char(mark->second));
            continue;
        }
        if (point > 0xFFFF)
            return i;
        if (found->second > 0xFF)
            bytes->push_back(char(found->second >> 8));
        bytes->push_back(char(found->second & 0xFF));
    }
    return points.size();
}

bool IsKana(uint32_t p) { return (p >= 0x3040 && p <= 0x30FF) || (p >= 0xFF66 && p <= 0xFF9F); }
bool IsHangul(uint32_t p) {
    return (p >= 0xAC00 && p <= 0xD7AF) || (p >= 0x1100 && p <= 0x11FF) || (p >= 0x3130 && p <= 0x318F);
}
bool IsHan(uint32_t p) { return (p >= 0x4E00 && p <= 0x9FFF) || (p >= 0x3400 && p <= 0x4DBF); }

// The charsets to try for a text, in order: East Asian text by its script, since Chinese
// also fits the Japanese code page and first fit alone would pick the wrong font.
std::vector<int> CandidateCharsets(const std::vector<uint32_t>& points) {
    bool kana = std::any_of(points.begin(), points.end(), IsKana);
    bool hangul = std::any_of(points.begin(), points.end(), IsHangul);
    bool han = std::any_of(points.begin(), points.end(), IsHan);
    if (kana)
        return {128};
    if (hangul)
        return {129};
    if (han)
        return {134, 136};
    std::vector<int> single;
    for (const CodePageTable& table : kCodePageTables)
        if (table.leads == nullptr)
            single.push_back(table.charset);
    return single;
}

std::string CharacterName(uint32_t point) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", unsigned(point));
    std::string shown;
    AppendUtf8(point, &shown);
    return "'" + shown + "' (" + text + ")";
}

}  // namespace

const CodePageTable* CodePageOfCharset(int charset) {
    int index = TableIndex(charset);
    return index < 0 ? nullptr : &kCodePageTables[index];
}

bool EncodeCaption(const std::string& utf8, int charset, std::string* bytes, int* chosen,
                   std::string* error) {
    std::vector<uint32_t> points;
    if (!DecodeUtf8(utf8, &points)) {
        *error = "caption is not valid UTF-8";
        return false;
    }
    std::vector<int> candidates;
    if (charset == kCharsetAuto) {
        candidates = CandidateCharsets(points);
    } else if (TableIndex(charset) < 0) {
        *error = "charset " + std::to_string(charset) + " has no code page table";
        return false;
    } else {
        candidates = {charset};
    }
    // On failure, name the character that stopped the candidate which got furthest.
    size_t furthest = 0;
    for (int candidate : candidates) {
        size_t fitted = EncodeInto(TableIndex(candidate), points, bytes);
        if (fitted == points.size()) {
            *chosen = candidate;
            return true;
        }
        furthest = std::max(furthest, fitted);
    }
    bytes->clear();
    const CodePageTable* only = candidates.size() == 1 ? CodePageOfCharset(candidates[0]) : nullptr;
    *error = "caption character " + CharacterName(points[furthest]) + " fits " +
             (only ? "no code of " + std::string(only->name) + " (" + std::to_string(only->codePage) + ")"
                   : std::string("no single Windows code page together with the rest of the text"));
    return false;
}

std::string DecodeCaption(const std::string& bytes, int charset, int* readAs) {
    int index = TableIndex(charset);
    if (index < 0)
        index = TableIndex(kCharsetWestern);
    const CodePageTable& table = kCodePageTables[index];
    *readAs = table.charset;
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint8_t b = uint8_t(bytes[i]);
        uint32_t point = b;
        if (b >= 0x80) {
            point = table.high[b - 0x80];
            if (point == kLeadByte) {
                point = 0;
                const uint8_t* lead = std::find(table.leads, table.leads + table.leadCount, b);
                uint8_t trail = i + 1 < bytes.size() ? uint8_t(bytes[i + 1]) : 0;
                if (trail >= 0x40) {
                    point = table.trails[(lead - table.leads) * kTrailCount + (trail - 0x40)];
                    ++i;
                }
            }
            if (point == 0)
                point = 0xFFFD;
        }
        AppendUtf8(point, &out);
    }
    return out;
}

int CharsetFromName(const std::string& name) {
    static const struct { const char* name; int charset; } kNames[] = {
        {"ansi", 0}, {"western", 0}, {"easteurope", 238}, {"centraleurope", 238},
        {"russian", 204}, {"cyrillic", 204}, {"greek", 161}, {"turkish", 162},
        {"baltic", 186}, {"hebrew", 177}, {"arabic", 178}, {"vietnamese", 163},
        {"thai", 222}, {"shiftjis", 128}, {"japanese", 128}, {"hangul", 129},
        {"hangeul", 129}, {"korean", 129}, {"gb2312", 134}, {"chinesebig5", 136},
        {"big5", 136},
    };
    std::string lower;
    for (char c : name)
        if (c != '_' && c != '-' && c != ' ')
            lower.push_back(char(std::tolower(uint8_t(c))));
    if (lower.size() > 9 && lower.compare(lower.size() - 7, 7, "charset") == 0)
        lower.resize(lower.size() - 7);
    for (const auto& entry : kNames)
        if (lower == entry.name)
            return entry.charset;
    if (lower.compare(0, 2, "cp") == 0)
        lower.erase(0, 2);
    if (lower.empty() || lower.size() > 5 || !std::all_of(lower.begin(), lower.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    int number = std::stoi(lower);
    for (const CodePageTable& table : kCodePageTables)
        if (table.charset == number || table.codePage == number)
            return table.charset;
    return -1;
}
