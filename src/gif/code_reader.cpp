// Data sub-blocks and the code reader of the LZW layer.
//
// Owns nothing between calls. An image's sub-blocks are joined into one block before
// decoding, so that a code is read with one load wherever the sub-block boundaries fall.
#include <cstdlib>

#include "gif/lzw_decoder.h"

namespace {

// Room after the joined bytes, so that ReadCode's 8-byte load never leaves the block.
constexpr size_t kCodePadding = 8;

// The number of data bytes in the sub-blocks at pos, counted through their length bytes only.
// A sub-block cut off by the end of the stream counts in full: TakeBytes pads it with zeros.
size_t CountSubBlockBytes(const ReadPosition* pos) {
    size_t total = 0;
    const uint8_t* at = pos->cursor;
    while (at < pos->end && *at != 0) {
        total += *at;
        if (size_t(pos->end - at) <= size_t(*at))
            break;
        at += 1 + *at;
    }
    return total;
}

}  // namespace

int ReadSubBlock(ReadPosition* pos, uint8_t* buffer) {
    int length = TakeByte(pos);
    TakeBytes(pos, buffer, length);
    return length;
}

void SkipSubBlocks(ReadPosition* pos) {
    uint8_t scratch[256];
    while (ReadSubBlock(pos, scratch) != 0) {
    }
}

int GatherCodes(CodeReader* reader, ReadPosition* pos) {
    size_t total = CountSubBlockBytes(pos);
    reader->bitPosition = 0;
    reader->bitLimit = 0;
    reader->data = static_cast<uint8_t*>(std::malloc(total + kCodePadding));
    if (!reader->data) {
        SkipSubBlocks(pos);
        return 0;
    }
    size_t joined = 0;
    // The count above walked the same length bytes, so every sub-block fits; the check keeps
    // the copy inside the block whatever happens. The terminator is read by SkipSubBlocks.
    for (;;) {
        int length = PeekByte(pos);
        if (length == 0 || joined + size_t(length) > total)
            break;
        ReadSubBlock(pos, reader->data + joined);
        joined += size_t(length);
    }
    SkipSubBlocks(pos);
    std::memset(reader->data + joined, 0, kCodePadding);
    reader->bitLimit = 8 * joined;
    return 1;
}

void ReleaseCodes(CodeReader* reader) {
    std::free(reader->data);
    reader->data = nullptr;
    reader->bitPosition = 0;
    reader->bitLimit = 0;
}
