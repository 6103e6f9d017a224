// The LZW string table and the fill of one FrameImage.
//
// Owns: the LzwDecoder block below, one per DecodeImage call (allocated with the image's
// row-major scratch raster and released before it returns), plus one kept for LzwNext.
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
// prefix chain through the live table (ExpandCode), exactly as the value-at-a-time decoder
// does; strings there are bounded by the 8192-entry value stack (kLzwCorrupt beyond).
#include "gif/lzw_decoder.h"

#include <cstdlib>

namespace {

constexpr int kTableSize = 4096;
constexpr int kStackSize = 8192;
// Room behind the scratch raster for the 8-byte steps of CopyString.
constexpr size_t kCopySlack = 8;

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
    // The live table, kept by both ways of decoding: entry e is its prefix's string followed by
    // its suffix. Roots (below clearCode) and every entry at or above nextCode read as prefix 0
    // in chain walks (see PrepareChainTable).
    uint16_t prefixTable[kTableSize];
    uint8_t suffixTable[kTableSize];
    // Scratch-raster copies: where the string of each entry starts, and its length.
    uint32_t stringStart[kTableSize];
    uint16_t stringLength[kTableSize];
};

void ResetCounters(LzwDecoderState* d) {
    d->codeWidth = d->minimumCodeSize + 1;
    d->growthLimit = 2 * d->clearCode;
    d->nextCode = d->clearCode + 2;
}

// The one place where the table grows and the code width with it. ">=" rather than "==": for
// minimum code sizes 0 and 1 nextCode starts at or beyond the first limit, and the width must
// still grow. For sizes 2..11 both agree.
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
// made since the last start or clear reads as prefix 0, suffix 0. The scratch-raster decoding
// writes only the entries it makes, so this runs when chain walking takes over.
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

// Copies a string of length values from an earlier place in the same raster, 8 bytes a step.
// The source ends at or before the destination starts (distance >= length), so every value
// read is final; a step may write up to 7 bytes beyond the string, into values still to come
// or kCopySlack.
inline void CopyString(uint8_t* to, const uint8_t* from, size_t length) {
    size_t done = 0;
    do {
        uint64_t step;
        std::memcpy(&step, from + done, 8);
        std::memcpy(to + done, &step, 8);
        done += 8;
    } while (done < length);
}

// What decoding into the scratch raster leaves behind.
struct ScratchFill {
    size_t count;      // values written
    int chainCode;     // a code beyond nextCode that stopped the copying, or -1
};

// Decodes values in stream order into out (room for count values plus kCopySlack) until count
// values are written, an end result is met or a code beyond nextCode asks for chain walking.
// Only roots bring values not already in out, so only they are marked in unseenMark.
// The decoder's fields are worked on in locals and written back on the way out: every store
// into out is a byte store, which the compiler must assume could change any of them.
ScratchFill DecodeIntoScratch(LzwDecoderState* d, uint8_t* out, size_t count, int* unseenMark) {
    const int clearCode = d->clearCode;
    const int endCode = d->endCode;
    const uint8_t* codes = d->reader.data;
    const size_t bitLimit = d->reader.bitLimit;
    size_t bitPosition = d->reader.bitPosition;
    int codeWidth = d->codeWidth;
    int nextCode = d->nextCode;
    int growthLimit = d->growthLimit;
    int previousCode = d->previousCode;
    int fresh = d->fresh;
    int endResult = 0;
    int chainCode = -1;
    uint16_t* prefixTable = d->prefixTable;
    uint8_t* suffixTable = d->suffixTable;
    uint32_t* stringStart = d->stringStart;
    uint16_t* stringLength = d->stringLength;
    size_t at = 0;
    size_t previousStart = 0;
    size_t previousLength = 0;
    while (at < count) {
        if (bitPosition + size_t(codeWidth) > bitLimit) {
            endResult = kLzwOutOfData;
            break;
        }
        uint64_t bits;
        std::memcpy(&bits, codes + (bitPosition >> 3), 8);  // little-endian targets only
        int code = int((bits >> (bitPosition & 7)) & ((1u << codeWidth) - 1));
        bitPosition += size_t(codeWidth);

        size_t length;
        int first;
        if (code < clearCode) {
            first = code;
            out[at] = uint8_t(code);
            unseenMark[code & 0xFF] = 0;
            length = 1;
            if (fresh) {
                fresh = 0;
                previousCode = code;
                previousStart = at;
                previousLength = 1;
                ++at;
                continue;
            }
        } else if (code == clearCode) {
            codeWidth = d->minimumCodeSize + 1;
            growthLimit = 2 * clearCode;
            nextCode = clearCode + 2;
            fresh = 1;
            continue;
        } else if (code == endCode) {
            endResult = kLzwEndCode;
            break;
        } else if (fresh) {
            endResult = kLzwCorrupt;
            break;
        } else if (code < nextCode) {
            const uint8_t* from = out + stringStart[code];
            length = stringLength[code];
            first = from[0];
            if (length > count - at) {  // the image ends inside this string
                for (size_t i = 0; at < count; ++i)
                    out[at++] = from[i];
                break;
            }
            CopyString(out + at, from, length);
        } else if (code == nextCode) {
            // The previous string and its own first value; that entry is made just below.
            const uint8_t* from = out + previousStart;
            length = previousLength + 1;
            first = from[0];
            if (length > count - at) {
                for (size_t i = 0; at < count; ++i)
                    out[at++] = from[i];  // reads at most the value written first
                break;
            }
            CopyString(out + at, from, previousLength);
            out[at + previousLength] = uint8_t(first);
        } else {
            d->firstValue = out[previousStart];
            chainCode = code;
            break;
        }
        // The new entry: the previous string and the first value of this one (AddEntry).
        if (nextCode < kTableSize) {
            prefixTable[nextCode] = uint16_t(previousCode);
            suffixTable[nextCode] = uint8_t(first);
            stringStart[nextCode] = uint32_t(previousStart);
            stringLength[nextCode] = uint16_t(previousLength + 1);
            ++nextCode;
            if (nextCode >= growthLimit && growthLimit < kTableSize) {
                ++codeWidth;
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
    d->previousCode = previousCode;
    d->fresh = fresh;
    if (endResult)
        Finish(d, endResult);
    return {at, chainCode};
}

// Chain walking from code on, into out[at..count); every value is marked.
size_t DecodeByChains(LzwDecoderState* d, int code, uint8_t* out, size_t at, size_t count,
                      int* unseenMark) {
    uint8_t stack[kStackSize];
    PrepareChainTable(d);
    int values = ExpandCode(d, code, stack);
    while (values > 0) {
        for (int i = values - 1; i >= 0 && at < count; --i) {
            out[at++] = stack[i];
            unseenMark[stack[i]] = 0;
        }
        if (at == count)
            break;
        values = ExpandNextCode(d, stack);
    }
    return at;
}

// Images without pixels still take values, each marked: a height of 0 exactly one, a width
// of 0 every value up to the end of the stream.
void MarkWithoutStoring(LzwDecoderState* d, int height, int* unseenMark) {
    uint8_t stack[kStackSize];
    PrepareChainTable(d);
    int values;
    while ((values = ExpandNextCode(d, stack)) > 0) {
        if (height == 0) {
            unseenMark[stack[values - 1]] = 0;
            return;
        }
        for (int i = 0; i < values; ++i)
            unseenMark[stack[i]] = 0;
    }
}

// Interlaced images are stored in four passes: rows 0, 8, 16.., then 4, 12.., then 2, 6..,
// then 1, 3, 5...
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

// The image row of each row of the scratch raster, in stream order.
struct RowOrder {
    int interlaced;
    int height;
    int pass;
    int row;
};

int NextImageRow(RowOrder* order) {
    int row = order->row;
    if (!order->interlaced) {
        ++order->row;
        return row;
    }
    order->row += kPassStep[order->pass];
    while (order->row >= order->height && order->pass < 3) {
        ++order->pass;
        order->row = kPassStart[order->pass];
    }
    return row;
}

// Moves the row-major scratch raster into the image's columns in tiles of 64 x 64, so that
// both the rows read and the columns written stay in the cache.
void MoveRowsIntoColumns(const uint8_t* scratch, FrameImage* image, int width, int height,
                         int interlaced) {
    constexpr int kTile = 64;
    uint8_t** columns = image->columns;
    RowOrder order = {interlaced, height, 0, 0};
    int rows[kTile];
    for (int k0 = 0; k0 < height; k0 += kTile) {
        int tileRows = height - k0 < kTile ? height - k0 : kTile;
        for (int k = 0; k < tileRows; ++k)
            rows[k] = NextImageRow(&order);
        const uint8_t* tile = scratch + size_t(k0) * size_t(width);
        for (int x0 = 0; x0 < width; x0 += kTile) {
            int x1 = width - x0 < kTile ? width : x0 + kTile;
            for (int x = x0; x < x1; ++x) {
                uint8_t* column = columns[x];
                const uint8_t* from = tile + x;
                for (int k = 0; k < tileRows; ++k)
                    column[rows[k]] = from[size_t(k) * size_t(width)];
            }
        }
    }
}

void FillRaster(LzwDecoderState* d, FrameImage* image, uint8_t* scratch, int width, int height,
                int interlaced) {
    size_t count = size_t(width) * size_t(height);
    ScratchFill fill = DecodeIntoScratch(d, scratch, count, image->unseenMark);
    size_t written = fill.count;
    if (fill.chainCode >= 0)
        written = DecodeByChains(d, fill.chainCode, scratch, written, count, image->unseenMark);
    // Pixels the stream did not reach stay index 0.
    std::memset(scratch + written, 0, count - written);
    MoveRowsIntoColumns(scratch, image, width, height, interlaced);
}

LzwDecoderState* AllocateDecoder(size_t scratchBytes) {
    return static_cast<LzwDecoderState*>(std::malloc(sizeof(LzwDecoderState) + scratchBytes));
}

// The value-at-a-time decoder of LzwStart and LzwNext.
LzwDecoderState* ValueDecoder;
uint8_t* ValueStack;
int ValueStackTop;

}  // namespace

int LzwStart(ReadPosition* pos, int minimumCodeSize) {
    if (!ValueDecoder) {
        ValueDecoder = AllocateDecoder(kStackSize);
        if (!ValueDecoder) {
            SkipSubBlocks(pos);
            return 0;
        }
        ValueDecoder->reader.data = nullptr;
        ValueStack = reinterpret_cast<uint8_t*>(ValueDecoder + 1);
    }
    LzwDecoderState* d = ValueDecoder;
    ReleaseCodes(&d->reader);
    GatherCodes(&d->reader, pos);
    StartDecoder(d, minimumCodeSize < kLargestMinimumCodeSize ? minimumCodeSize
                                                              : kLargestMinimumCodeSize);
    PrepareChainTable(d);
    ValueStackTop = 0;
    return 0;
}

int LzwNext(ReadPosition*) {
    if (!ValueDecoder)
        return kLzwOutOfData;
    if (ValueStackTop > 0)
        return ValueStack[--ValueStackTop];
    int values = ExpandNextCode(ValueDecoder, ValueStack);
    if (values < 0)
        return values;
    ValueStackTop = values - 1;
    return ValueStack[ValueStackTop];
}

int DecodeImage(FrameImage* image, ReadPosition* pos, int width, int height,
                const uint8_t* red, const uint8_t* green, const uint8_t* blue, int interlaced) {
    for (int i = 0; i < 256; ++i) {
        image->red[i] = red[i];
        image->green[i] = green[i];
        image->blue[i] = blue[i];
        image->unseenMark[i] = 1;
    }
    image->usedColourCount = 0;

    int minimumCodeSize = TakeByte(pos);
    if (minimumCodeSize > kLargestMinimumCodeSize) {
        SkipSubBlocks(pos);
        return 1;
    }
    size_t pixels = size_t(width) * size_t(height);
    LzwDecoderState* d = AllocateDecoder(pixels + kCopySlack);
    if (!d) {
        // Without room to decode, the image keeps index 0 everywhere, like a stream cut short.
        SkipSubBlocks(pos);
        return 1;
    }
    GatherCodes(&d->reader, pos);
    StartDecoder(d, minimumCodeSize);
    if (width > 0 && height > 0)
        FillRaster(d, image, reinterpret_cast<uint8_t*>(d + 1), width, height, interlaced);
    else
        MarkWithoutStoring(d, height, image->unseenMark);
    ReleaseCodes(&d->reader);
    std::free(d);

    int used = 256;
    while (used > 0 && image->unseenMark[used - 1])
        --used;
    image->usedColourCount = used;
    return 1;
}
