// The LZW string table and the fill of one FrameImage, one pixel value per LzwNext call.
//
// Owns: the LzwDecoder state below (module-level, one decoder at a time).
// Every code falls into exactly one case: clear, end, known string (below nextCode), the
// string-plus-its-first-value case (at or above nextCode), or corrupt. Codes are at most 12
// bits, so every table index stays below 4096; strings are bounded by the 8192-entry stack.
#include "gif/lzw_decoder.h"

namespace {

constexpr int kTableSize = 4096;
constexpr int kStackSize = 8192;

// The largest minimum code size whose clear and end codes fit a 4096-entry table with 12-bit
// codes. Images that declare more carry no decodable data: their sub-blocks are skipped and
// they stay index 0 (usedColourCount 0). Sizes 9..11 decode; their values above 255 are cut
// to the low 8 bits, exactly as StorePixel would store them, and marked under that index.
constexpr int kLargestMinimumCodeSize = 11;

struct LzwDecoderState {
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
    int prefixTable[kTableSize];
    int suffixTable[kTableSize];
    int valueStack[kStackSize];
    int stackTop;          // number of values on valueStack
};

LzwDecoderState LzwDecoder;

void ResetCounters() {
    LzwDecoderState& d = LzwDecoder;
    d.codeWidth = d.minimumCodeSize + 1;
    d.growthLimit = 2 * d.clearCode;
    d.nextCode = d.clearCode + 2;
    d.stackTop = 0;
}

// The whole table, at the start of an image (the roots depend on its minimum code size).
// Entries are only ever made at nextCode, so everything from the previous image's nextCode up
// is still in the reset state and only the part below it needs writing: a small image does
// not pay for clearing all 4096 entries.
void ResetTable() {
    LzwDecoderState& d = LzwDecoder;
    for (int i = 0; i < d.nextCode; ++i) {
        d.prefixTable[i] = 0;
        d.suffixTable[i] = 0;
    }
    for (int i = 0; i < d.clearCode; ++i)
        d.suffixTable[i] = i;
    ResetCounters();
}

// After a clear code only the entries made since the last reset differ from the reset state
// (entries are made at nextCode only), so only those are cleared: a stream of alternating
// clear codes and values then costs no more than any other.
void ClearTable() {
    LzwDecoderState& d = LzwDecoder;
    for (int i = d.clearCode; i < d.nextCode; ++i) {
        d.prefixTable[i] = 0;
        d.suffixTable[i] = 0;
    }
    ResetCounters();
}

// Once an end result has been answered every further request answers it again and reads
// nothing, so the extra request after the fill cannot consume input behind the image data.
int Finish(int result) {
    LzwDecoder.endResult = result;
    LzwDecoder.stackTop = 0;
    return result;
}

int MeetEndCode(ReadPosition* pos) {
    if (!TerminatorSeen)
        SkipSubBlocks(pos);
    return Finish(kLzwEndCode);
}

// The first code after a start or a clear code: a root value, delivered as it stands.
int FirstCode(ReadPosition* pos) {
    LzwDecoderState& d = LzwDecoder;
    for (;;) {
        int code = ReadCode(pos, d.codeWidth);
        if (code < 0)
            return Finish(code);
        if (code == d.clearCode)
            continue;
        if (code == d.endCode)
            return MeetEndCode(pos);
        // Nothing has been added to the table yet, so a code beyond the roots names no string.
        if (code > d.endCode)
            return Finish(kLzwCorrupt);
        d.previousCode = code;
        d.firstValue = code;
        return code;
    }
}

inline int NextValue(ReadPosition* pos) {
    LzwDecoderState& d = LzwDecoder;
    if (d.stackTop > 0)
        return d.valueStack[--d.stackTop];
    if (d.endResult)
        return d.endResult;
    if (d.fresh) {
        d.fresh = 0;
        return FirstCode(pos);
    }
    int code = ReadCode(pos, d.codeWidth);
    if (code < 0)
        return Finish(code);
    if (code == d.clearCode) {
        ClearTable();
        return FirstCode(pos);
    }
    if (code == d.endCode)
        return MeetEndCode(pos);

    // The stack top is kept in a local while the string is expanded: the stack and the
    // tables are int arrays, so a store into them could otherwise change d.stackTop.
    int incoming = code;
    int top = d.stackTop;
    if (code >= d.nextCode) {
        d.valueStack[top++] = d.firstValue;
        code = d.previousCode;
    }
    while (code >= d.clearCode) {
        if (top >= kStackSize)
            return Finish(kLzwCorrupt);
        d.valueStack[top++] = d.suffixTable[code];
        code = d.prefixTable[code];
    }
    if (top >= kStackSize)
        return Finish(kLzwCorrupt);
    d.firstValue = d.suffixTable[code];
    d.valueStack[top++] = d.firstValue;

    if (d.nextCode < kTableSize) {
        d.prefixTable[d.nextCode] = d.previousCode;
        d.suffixTable[d.nextCode] = d.firstValue;
        ++d.nextCode;
        // ">=" rather than "==": for minimum code sizes 0 and 1 nextCode starts at or beyond
        // the first limit, and the width must still grow. For sizes 2..11 both agree.
        if (d.nextCode >= d.growthLimit && d.growthLimit < kTableSize) {
            ++d.codeWidth;
            d.growthLimit *= 2;
        }
    }
    d.previousCode = incoming;
    d.stackTop = top - 1;
    return d.valueStack[top - 1];
}

// Interlaced images are stored in four passes: rows 0, 8, 16.., then 4, 12.., then 2, 6..,
// then 1, 3, 5...
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

// width and height are both above 0 here; x and y stay inside the image, so the stores need
// no coordinate checks. After each value from NextValue the rest of its string is popped from
// valueStack right here (LzwNext's step 2, taken inline): each store into the byte raster may
// alias any memory, so the stack top is kept in a local rather than re-read after every store.
void FillRaster(FrameImage* image, ReadPosition* pos, int width, int height, int interlaced) {
    uint8_t** columns = image->columns;
    int* unseenMark = image->unseenMark;
    const int* valueStack = LzwDecoder.valueStack;
    int pass = interlaced ? 0 : 3;
    int step = interlaced ? kPassStep[0] : 1;
    int x = 0;
    int y = 0;
    for (;;) {
        int value = NextValue(pos);
        if (value < 0)
            return;
        int remaining = LzwDecoder.stackTop;
        for (;;) {
            value &= 0xFF;
            unseenMark[value] = 0;
            columns[x][y] = uint8_t(value);
            if (++x == width) {
                x = 0;
                y += step;
                while (y >= height && pass < 3) {
                    ++pass;
                    y = kPassStart[pass];
                    step = kPassStep[pass];
                }
                if (y >= height) {
                    LzwDecoder.stackTop = remaining;  // surplus values stay for the next request
                    return;
                }
            }
            if (remaining == 0)
                break;
            value = valueStack[--remaining];
        }
        LzwDecoder.stackTop = 0;
    }
}

}  // namespace

int LzwStart(ReadPosition*, int minimumCodeSize) {
    LzwDecoderState& d = LzwDecoder;
    d.minimumCodeSize = minimumCodeSize;
    d.clearCode = 1 << minimumCodeSize;
    d.endCode = d.clearCode + 1;
    ResetTable();
    ResetCodeReader();
    d.fresh = 1;
    d.endResult = 0;
    d.previousCode = 0;
    d.firstValue = 0;
    return 0;
}

int LzwNext(ReadPosition* pos) {
    return NextValue(pos);
}

int DecodeImage(FrameImage* image, ReadPosition* pos, int width, int height,
                const uint8_t* red, const uint8_t* green, const uint8_t* blue, int interlaced) {
    for (int i = 0; i < 256; ++i) {
        image->red[i] = red[i];
        image->green[i] = green[i];
        image->blue[i] = blue[i];
        image->unseenMark[i] = 1;
    }
    image->usedColourCount = 256;

    int minimumCodeSize = TakeByte(pos);
    if (minimumCodeSize > kLargestMinimumCodeSize) {
        SkipSubBlocks(pos);
        image->usedColourCount = 0;
        return 1;
    }
    LzwStart(pos, minimumCodeSize);

    if (width > 0 && height > 0) {
        FillRaster(image, pos, width, height, interlaced);
    } else {
        // Nothing can be stored: a height of 0 takes exactly one value, a width of 0 never
        // completes a row and takes values until the end; each value is still marked.
        int value;
        do {
            value = NextValue(pos);
            if (value >= 0)
                image->unseenMark[value & 0xFF] = 0;
        } while (value >= 0 && height > 0);
    }

    // The extra request reads the end code of a well-formed image and skips to its terminator.
    NextValue(pos);
    // Data with more values than pixels (or broken off by a corrupt code) leaves the position
    // inside the sub-blocks; they are skipped so that parsing resumes after this image.
    if (!TerminatorSeen)
        SkipSubBlocks(pos);

    int used = 256;
    while (used > 0 && image->unseenMark[used - 1])
        --used;
    image->usedColourCount = used;
    return 1;
}
