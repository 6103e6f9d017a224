// The LZW string table and the fill of one FrameImage.
//
// Owns: the LzwDecoder block below, one per DecodeImage call (allocated with the image's
// row-major scratch raster and released before it returns).
//
// Every code falls into exactly one case: clear, end, known string (below nextCode), the
// string-plus-its-first-value case (equal to nextCode), a code beyond nextCode, or corrupt.
// DecodeImage writes the values in stream order into a scratch raster and copies each known
// string whole from where it was decoded before: entry e remembers where the string of the
// code before it starts in the scratch raster and its length, since e's string is that string
// followed by one more value, which the scratch raster holds right behind it.
//
// A code beyond nextCode never occurs in a well-formed stream. It takes the previous string,
// and the entries that follow it then refer to entries not yet made, whose meaning changes
// when they are made later. From such a code on, the image is decoded by walking each string's
// prefix chain through the live table (ExpandCode); strings there are bounded by the
// 8192-entry value stack (kLzwCorrupt beyond).
#include "gif/lzw_decoder.h"

#include <algorithm>
#include <cstdlib>

namespace {

// End results of chain walking; pixel values are 0 and up.
constexpr int kLzwOutOfData = -1;    // the sub-blocks ran out before an end code
constexpr int kLzwEndCode = -2;      // the end code was met
constexpr int kLzwCorrupt = -999;    // a string longer than the value stack, or an impossible code

constexpr int kTableSize = 4096;
constexpr int kStackSize = 8192;
// Room behind the scratch raster for the 16-byte steps of CopyString.
constexpr size_t kCopySlack = 16;

// The largest minimum code size whose clear and end codes fit a 4096-entry table with 12-bit
// codes. Images that declare more carry no decodable data: their sub-blocks are skipped and
// they stay index 0 (usedColourCount 0). Sizes 9..11 decode; their values above 255 are cut
// to the low 8 bits, exactly as StorePixel would store them, and marked under that index.
constexpr int kLargestMinimumCodeSize = 11;

struct LzwDecoderState {
    CodeReader reader;
    int minimumCodeSize;   // as read, 0..11
    int codeWidth;         // minimumCodeSize + 1 .. 12
    int clearCode;         // 2 ^ minimumCodeSize
    int endCode;           // clearCode + 1
    int nextCode;          // next free entry, clearCode + 2 .. 4096
    int growthLimit;       // nextCode at which codeWidth grows, up to 4096
    int previousCode;
    int firstValue;        // first value of the previous string
    int fresh;             // 1 between a start (or clear) and the first value
    int endResult;         // 0 while decoding; the end result once one has been answered
    // The table of chain walking: entry e is its prefix's string followed by its suffix. Roots
    // (below clearCode) hold their own value, and every entry at or above nextCode reads as
    // prefix 0, suffix 0 (see PrepareChainTable).
    uint16_t prefixTable[kTableSize];
    uint8_t suffixTable[kTableSize];
    // Scratch-raster copies, one word per entry (see PackEntry): where the entry's string
    // starts in the decode buffer, its length, and its prefix code.
    uint64_t stringEntry[kTableSize];
};

void ResetCounters(LzwDecoderState* d) {
    d->codeWidth = d->minimumCodeSize + 1;
    d->growthLimit = 2 * d->clearCode;
    d->nextCode = d->clearCode + 2;
}

// A new entry during chain walking, and the code width growth that goes with it (the copying
// loop of DecodeIntoScratch does the same in its locals). ">=" rather than "==": for minimum
// code sizes 0 and 1 nextCode starts at or beyond the first limit, and the width must still
// grow. For sizes 2..11 both agree.
inline void AddEntry(LzwDecoderState* d, int prefix, int suffix) {
    if (d->nextCode >= kTableSize)
        return;
    d->prefixTable[d->nextCode] = uint16_t(prefix);
    d->suffixTable[d->nextCode] = uint8_t(suffix);
    ++d->nextCode;
    if (d->nextCode >= d->growthLimit && d->growthLimit < kTableSize) {
        ++d->codeWidth;
        d->growthLimit *= 2;
    }
}

// Chain walks read the table as it stands: roots hold their own value, and every entry not
// made since the last start or clear reads as prefix 0, suffix 0. Runs when chain walking
// takes over, after the entries made so far have been filled in (ChainTableFromEntries).
void PrepareChainTable(LzwDecoderState* d) {
    for (int i = 0; i < d->clearCode; ++i) {
        d->prefixTable[i] = 0;
        d->suffixTable[i] = uint8_t(i);
    }
    for (int i = d->clearCode; i < d->clearCode + 2; ++i) {
        d->prefixTable[i] = 0;
        d->suffixTable[i] = 0;
    }
    for (int i = d->nextCode; i < kTableSize; ++i) {
        d->prefixTable[i] = 0;
        d->suffixTable[i] = 0;
    }
}

// A clear code during chain walking: the entries made since the last reset go back to 0.
void ClearChainTable(LzwDecoderState* d) {
    for (int i = d->clearCode; i < d->nextCode; ++i) {
        d->prefixTable[i] = 0;
        d->suffixTable[i] = 0;
    }
    ResetCounters(d);
}

int Finish(LzwDecoderState* d, int result) {
    d->endResult = result;
    return result;
}

void StartDecoder(LzwDecoderState* d, int minimumCodeSize) {
    d->minimumCodeSize = minimumCodeSize;
    d->clearCode = 1 << minimumCodeSize;
    d->endCode = d->clearCode + 1;
    ResetCounters(d);
    d->fresh = 1;
    d->endResult = 0;
    d->previousCode = 0;
    d->firstValue = 0;
}

// Handles one code read from the stream by walking its prefix chain: the string's values go
// onto stack last value first. Answers the number of values, or an end result.
int ExpandCode(LzwDecoderState* d, int code, uint8_t* stack) {
    // Clear codes, and the first code after a start or a clear: a root, delivered as it stands.
    for (;;) {
        if (code == d->clearCode) {
            ClearChainTable(d);
            d->fresh = 1;
        } else if (code == d->endCode) {
            return Finish(d, kLzwEndCode);
        } else if (d->fresh) {
            // Nothing has been added to the table yet, so a code beyond the roots names no string.
            if (code > d->endCode)
                return Finish(d, kLzwCorrupt);
            d->fresh = 0;
            d->previousCode = code;
            d->firstValue = code;
            stack[0] = uint8_t(code);
            return 1;
        } else {
            break;
        }
        code = ReadCode(&d->reader, d->codeWidth);
        if (code < 0)
            return Finish(d, kLzwOutOfData);
    }

    int incoming = code;
    int top = 0;
    if (code >= d->nextCode) {
        stack[top++] = uint8_t(d->firstValue);
        code = d->previousCode;
    }
    while (code >= d->clearCode) {
        if (top >= kStackSize)
            return Finish(d, kLzwCorrupt);
        stack[top++] = d->suffixTable[code];
        code = d->prefixTable[code];
    }
    if (top >= kStackSize)
        return Finish(d, kLzwCorrupt);
    d->firstValue = d->suffixTable[code];
    stack[top++] = uint8_t(d->firstValue);
    AddEntry(d, d->previousCode, d->firstValue);
    d->previousCode = incoming;
    return top;
}

int ExpandNextCode(LzwDecoderState* d, uint8_t* stack) {
    if (d->endResult)
        return d->endResult;
    int code = ReadCode(&d->reader, d->codeWidth);
    if (code < 0)
        return Finish(d, kLzwOutOfData);
    return ExpandCode(d, code, stack);
}

// Copies a string of length values from an earlier place in the same buffer, 16 bytes a
// step. The source ends at or before the destination starts (distance >= length), so every
// value read is final; a step may write up to 15 bytes beyond the string, into values still
// to come or kCopySlack.
inline void CopyString(uint8_t* to, const uint8_t* from, size_t length) {
    size_t done = 0;
    do {
        struct Step {
            uint8_t bytes[16];
        } step;
        std::memcpy(&step, from + done, 16);
        std::memcpy(to + done, &step, 16);
        done += 16;
    } while (done < length);
}

// The decode buffer: kRootBytes bytes holding every root's value (root r at offset r), so that
// a root is copied like any other string, then the scratch raster and kCopySlack.
constexpr size_t kRootBytes = size_t(1) << kLargestMinimumCodeSize;

inline uint64_t PackEntry(size_t start, size_t length, int prefix) {
    return uint64_t(start) | uint64_t(length) << 32 | uint64_t(prefix) << 48;
}
inline size_t EntryStart(uint64_t entry) { return uint32_t(entry); }
inline size_t EntryLength(uint64_t entry) { return size_t(entry >> 32) & 0xFFFF; }
inline int EntryPrefix(uint64_t entry) { return int(entry >> 48); }

// Every root is a string of length 1 at its own offset in the decode buffer; the clear and
// end codes have length 0, which sends them to the rare path of DecodeIntoScratch.
void PrepareRoots(LzwDecoderState* d, uint8_t* buffer) {
    for (int i = 0; i < d->clearCode; ++i) {
        buffer[i] = uint8_t(i);
        d->stringEntry[i] = PackEntry(size_t(i), 1, 0);
    }
    d->stringEntry[d->clearCode] = 0;
    d->stringEntry[d->endCode] = 0;
}

// Before chain walking takes over from the scratch-raster copies: the entries made so far get
// their prefix and suffix (an entry's last value is the one behind its start and length).
void ChainTableFromEntries(LzwDecoderState* d, const uint8_t* buffer) {
    for (int code = d->clearCode + 2; code < d->nextCode; ++code) {
        uint64_t entry = d->stringEntry[code];
        d->prefixTable[code] = uint16_t(EntryPrefix(entry));
        d->suffixTable[code] = buffer[EntryStart(entry) + EntryLength(entry) - 1];
    }
}

// What decoding into the scratch raster leaves behind.
struct ScratchFill {
    size_t end;        // offset in the decode buffer after the last value written
    int chainCode;     // a code beyond nextCode that stopped the copying, or -1
};

// Reads codes until one is not a clear code, as the first code after a start or a clear must
// be: answers it, or an end result (kLzwCorrupt for a code beyond the roots, which names no
// string while the table holds no entries).
inline int ReadFirstCode(const uint8_t* codes, size_t bitLimit, size_t* bitPosition,
                         int codeWidth, int clearCode) {
    int code;
    do {
        if (*bitPosition + size_t(codeWidth) > bitLimit)
            return kLzwOutOfData;
        uint64_t bits;
        std::memcpy(&bits, codes + (*bitPosition >> 3), 8);
        code = int((bits >> (*bitPosition & 7)) & ((1u << codeWidth) - 1));
        *bitPosition += size_t(codeWidth);
    } while (code == clearCode);
    if (code == clearCode + 1)
        return kLzwEndCode;
    return code > clearCode ? kLzwCorrupt : code;
}

// Decodes values in stream order into buffer from kRootBytes up to end, until the raster is
// full, an end result is met or a code beyond nextCode asks for chain walking. Each string's
// first value is marked in seen: every value enters the raster first as a root, and a root is
// a string of its own.
// The decoder's fields are worked on in locals and written back on the way out: every store
// into the buffer is a byte store, which the compiler must assume could change any of them.
ScratchFill DecodeIntoScratch(LzwDecoderState* d, uint8_t* buffer, size_t end, uint8_t* seen) {
    const int clearCode = d->clearCode;
    const uint8_t* codes = d->reader.data;
    const size_t bitLimit = d->reader.bitLimit;
    size_t bitPosition = d->reader.bitPosition;
    uint64_t* stringEntry = d->stringEntry;
    int codeWidth = d->codeWidth;
    uint32_t codeMask = (1u << codeWidth) - 1;
    int nextCode = d->nextCode;
    int growthLimit = d->growthLimit;
    int endResult = 0;
    int chainCode = -1;
    size_t at = kRootBytes;

    // The first code: a root on its own, which makes no entry.
    int previousCode = ReadFirstCode(codes, bitLimit, &bitPosition, codeWidth, clearCode);
    if (previousCode < 0)
        endResult = previousCode;
    else {
        buffer[at] = uint8_t(previousCode);
        seen[previousCode & 0xFF] = 1;
    }
    size_t previousStart = at;
    size_t previousLength = 1;
    at += endResult ? 0 : 1;

    while (at < end && !endResult) {
        if (bitPosition + size_t(codeWidth) > bitLimit) {
            endResult = kLzwOutOfData;
            break;
        }
        uint64_t bits;
        std::memcpy(&bits, codes + (bitPosition >> 3), 8);  // little-endian targets only
        int code = int((bits >> (bitPosition & 7)) & codeMask);
        bitPosition += size_t(codeWidth);

        size_t length;
        int first;
        uint64_t entry;
        if (code < nextCode && (length = EntryLength(entry = stringEntry[code])) != 0) {
            // A known string, roots included: the common case.
            const uint8_t* from = buffer + EntryStart(entry);
            first = from[0];
            if (length > end - at) {  // the image ends inside this string
                for (size_t i = 0; at < end; ++i)
                    buffer[at++] = from[i];
                break;
            }
            CopyString(buffer + at, from, length);
            seen[first] = 1;
        } else if (code == clearCode) {
            codeWidth = d->minimumCodeSize + 1;
            codeMask = (1u << codeWidth) - 1;
            growthLimit = 2 * clearCode;
            nextCode = clearCode + 2;
            previousCode = ReadFirstCode(codes, bitLimit, &bitPosition, codeWidth, clearCode);
            if (previousCode < 0) {
                endResult = previousCode;
                break;
            }
            buffer[at] = uint8_t(previousCode);
            seen[previousCode & 0xFF] = 1;
            previousStart = at;
            previousLength = 1;
            ++at;
            continue;
        } else if (code == clearCode + 1) {
            endResult = kLzwEndCode;
            break;
        } else if (code == nextCode) {
            // The previous string and its own first value; that entry is made just below.
            const uint8_t* from = buffer + previousStart;
            length = previousLength + 1;
            first = from[0];
            if (length > end - at) {
                for (size_t i = 0; at < end; ++i)
                    buffer[at++] = from[i];  // reads at most the value written first
                break;
            }
            CopyString(buffer + at, from, previousLength);
            buffer[at + previousLength] = uint8_t(first);
        } else {
            chainCode = code;
            break;
        }
        // The new entry: the previous string and the first value of this one.
        if (nextCode < kTableSize) {
            stringEntry[nextCode] = PackEntry(previousStart, previousLength + 1, previousCode);
            if (++nextCode >= growthLimit && growthLimit < kTableSize) {
                ++codeWidth;
                codeMask = (1u << codeWidth) - 1;
                growthLimit *= 2;
            }
        }
        previousCode = code;
        previousStart = at;
        previousLength = length;
        at += length;
    }
    d->reader.bitPosition = bitPosition;
    d->codeWidth = codeWidth;
    d->nextCode = nextCode;
    d->growthLimit = growthLimit;
    d->fresh = 0;
    d->previousCode = previousCode;
    if (chainCode >= 0) {
        d->firstValue = buffer[previousStart];
        ChainTableFromEntries(d, buffer);
    }
    if (endResult)
        Finish(d, endResult);
    return {at, chainCode};
}

// Chain walking from code on, into out[at..count); every value is marked in seen.
size_t DecodeByChains(LzwDecoderState* d, int code, uint8_t* out, size_t at, size_t count,
                      uint8_t* seen) {
    uint8_t stack[kStackSize];
    PrepareChainTable(d);
    int values = ExpandCode(d, code, stack);
    while (values > 0) {
        for (int i = values - 1; i >= 0 && at < count; --i) {
            out[at++] = stack[i];
            seen[stack[i]] = 1;
        }
        if (at == count)
            break;
        values = ExpandNextCode(d, stack);
    }
    return at;
}

// Images without pixels still take values, each marked: a height of 0 exactly one, a width
// of 0 every value up to the end of the stream.
void MarkWithoutStoring(LzwDecoderState* d, int height, uint8_t* seen) {
    uint8_t stack[kStackSize];
    PrepareChainTable(d);
    int values;
    while ((values = ExpandNextCode(d, stack)) > 0) {
        if (height == 0) {
            seen[stack[values - 1]] = 1;
            return;
        }
        for (int i = 0; i < values; ++i)
            seen[stack[i]] = 1;
    }
}

// Interlaced images are stored in four passes: rows 0, 8, 16.., then 4, 12.., then 2, 6..,
// then 1, 3, 5... Answers the row of the scratch raster (stream order) that holds image row y.
int StreamRow(int y, int height, int interlaced) {
    if (!interlaced)
        return y;
    int pass1 = (height + 7) / 8;       // rows 0, 8, ..
    int pass2 = (height + 3) / 8;       // rows 4, 12, ..
    int pass3 = (height + 1) / 4;       // rows 2, 6, ..
    if (y % 8 == 0)
        return y / 8;
    if (y % 8 == 4)
        return pass1 + y / 8;
    if (y % 4 == 2)
        return pass1 + pass2 + y / 4;
    return pass1 + pass2 + pass3 + y / 2;
}

// Transposes the 8 x 8 bytes held in eight little-endian words (word i = row i, byte j = column
// j) by swapping ever larger blocks across the diagonal.
inline void Transpose8x8(uint64_t r[8]) {
    const uint64_t masks[3] = {0x00FF00FF00FF00FFull, 0x0000FFFF0000FFFFull,
                               0x00000000FFFFFFFFull};
    for (int stage = 0, span = 1; stage < 3; ++stage, span *= 2) {
        for (int i = 0; i < 8; ++i) {
            if (i & span)
                continue;
            uint64_t t = ((r[i] >> (8 * span)) ^ r[i + span]) & masks[stage];
            r[i + span] ^= t;
            r[i] ^= t << (8 * span);
        }
    }
}

inline uint64_t LoadWord(const uint8_t* from) {
    uint64_t word;
    std::memcpy(&word, from, 8);  // little-endian targets only, like the code reader
    return word;
}

// Moves the row-major scratch raster into the image's columns, eight rows by eight columns at
// a time, in strips of 256 columns so that the columns being written stay in the cache. Only
// the first filledRows rows of the scratch raster hold values, and the row after them (when
// there is one) holds zeros: image rows that the stream never reached are either skipped, as
// the columns already hold zeros there, or read from that row of zeros.
void MoveRowsIntoColumns(const uint8_t* scratch, FrameImage* image, int width, int height,
                         int interlaced, int filledRows) {
    constexpr int kStrip = 256;
    uint8_t** columns = image->columns;
    auto rowOf = [&](int y) -> const uint8_t* {
        int k = StreamRow(y, height, interlaced);
        return scratch + size_t(k < filledRows ? k : filledRows) * size_t(width);
    };
    auto reached = [&](int y) { return StreamRow(y, height, interlaced) < filledRows; };
    const uint8_t* rows[8];
    for (int x0 = 0; x0 < width; x0 += kStrip) {
        int x1 = width - x0 < kStrip ? width : x0 + kStrip;
        int y0 = 0;
        for (; y0 + 8 <= height; y0 += 8) {
            bool any = false;
            for (int i = 0; i < 8; ++i) {
                rows[i] = rowOf(y0 + i);
                any = any || reached(y0 + i);
            }
            if (!any)
                continue;
            int x = x0;
            for (; x + 8 <= x1; x += 8) {
                uint64_t r[8];
                for (int i = 0; i < 8; ++i)
                    r[i] = LoadWord(rows[i] + x);
                Transpose8x8(r);
                for (int j = 0; j < 8; ++j)
                    std::memcpy(columns[x + j] + y0, &r[j], 8);
            }
            for (; x < x1; ++x)
                for (int i = 0; i < 8; ++i)
                    columns[x][y0 + i] = rows[i][x];
        }
        for (int y = y0; y < height; ++y) {
            if (!reached(y))
                continue;
            const uint8_t* row = rowOf(y);
            for (int x = x0; x < x1; ++x)
                columns[x][y] = row[x];
        }
    }
}

void FillRaster(LzwDecoderState* d, FrameImage* image, uint8_t* buffer, int width, int height,
                int interlaced, uint8_t* seen) {
    size_t end = kRootBytes + size_t(width) * size_t(height);
    PrepareRoots(d, buffer);
    ScratchFill fill = DecodeIntoScratch(d, buffer, end, seen);
    size_t written = fill.end;
    if (fill.chainCode >= 0)
        written = DecodeByChains(d, fill.chainCode, buffer, written, end, seen);
    // Pixels the stream did not reach stay index 0: the rest of the last row reached is
    // cleared, and so is the row after it, which stands in for every row not reached.
    written -= kRootBytes;
    int filledRows = int((written + size_t(width) - 1) / size_t(width));
    size_t cleared = std::min(end - kRootBytes, (size_t(filledRows) + 1) * size_t(width));
    uint8_t* scratch = buffer + kRootBytes;
    std::memset(scratch + written, 0, cleared - written);
    MoveRowsIntoColumns(scratch, image, width, height, interlaced, filledRows);
}

LzwDecoderState* AllocateDecoder(size_t scratchBytes) {
    return static_cast<LzwDecoderState*>(std::malloc(sizeof(LzwDecoderState) + scratchBytes));
}

// The colour table as the image keeps it, one int per component.
void CopyColours(int* __restrict to, const uint8_t* __restrict from) {
    for (int i = 0; i < 256; ++i)
        to[i] = from[i];
}

// unseenMark from the values seen, and usedColourCount: one above the highest value seen.
// Both loops work on whole words, so that a sprite of four colours does not pay for the 252
// it lacks one entry at a time.
void MarkColours(FrameImage* image, const uint8_t* seen) {
    int* __restrict unseenMark = image->unseenMark;
    for (int i = 0; i < 256; ++i)
        unseenMark[i] = 1;
    for (int i = 0; i < 256; i += 8) {
        if (LoadWord(seen + i) == 0)
            continue;
        for (int j = i; j < i + 8; ++j)
            unseenMark[j] = seen[j] ^ 1;
    }
    int used = 256;
    while (used >= 8 && LoadWord(seen + used - 8) == 0)
        used -= 8;
    while (used > 0 && !seen[used - 1])
        --used;
    image->usedColourCount = used;
}

}  // namespace

int DecodeImage(FrameImage* image, ReadPosition* pos, int width, int height,
                const uint8_t* red, const uint8_t* green, const uint8_t* blue, int interlaced) {
    CopyColours(image->red, red);
    CopyColours(image->green, green);
    CopyColours(image->blue, blue);
    uint8_t seen[256] = {0};  // 1 for each value delivered

    int minimumCodeSize = TakeByte(pos);
    if (minimumCodeSize > kLargestMinimumCodeSize) {
        SkipSubBlocks(pos);
        MarkColours(image, seen);
        return 1;
    }
    size_t pixels = size_t(width) * size_t(height);
    LzwDecoderState* d = AllocateDecoder(kRootBytes + pixels + kCopySlack);
    if (d) {
        GatherCodes(&d->reader, pos);
        StartDecoder(d, minimumCodeSize);
        if (width > 0 && height > 0)
            FillRaster(d, image, reinterpret_cast<uint8_t*>(d + 1), width, height, interlaced,
                       seen);
        else
            MarkWithoutStoring(d, height, seen);
        ReleaseCodes(&d->reader);
        std::free(d);
    } else {
        // Without room to decode, the image keeps index 0 everywhere, like a stream cut short.
        SkipSubBlocks(pos);
    }
    MarkColours(image, seen);
    return 1;
}
