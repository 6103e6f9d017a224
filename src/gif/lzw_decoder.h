// The LZW layer of the GIF decoder: data sub-blocks, variable-width codes, the string table,
// and the fill of one FrameImage in plain or interlaced row order.
//
// Owns nothing between calls: the decoder's tables and code reader live in a block that
// DecodeImage allocates for each image and releases before it returns, so only the caller's
// image outlives a decode.
// Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gif/frame_image.h"
#include "gif/read_position.h"

// Reads one data sub-block into buffer (at least 255 bytes) and answers its length 0..255.
int ReadSubBlock(ReadPosition* pos, uint8_t* buffer);
// Reads sub-blocks until a block terminator has been read.
void SkipSubBlocks(ReadPosition* pos);

// The code bits of one image: the contents of all its data sub-blocks, joined.
struct CodeReader {
    uint8_t* data;          // joined sub-blocks, followed by 8 zero bytes; owned
    size_t bitPosition;     // next unread bit: bit k is bit k % 8 of data[k / 8]
    size_t bitLimit;        // 8 * number of joined bytes
};

// Reads the data sub-blocks at pos up to and including their terminator into reader (the
// read position ends just after the terminator, as SkipSubBlocks leaves it). Answers 0 when
// memory runs out: the sub-blocks are then skipped and the reader holds no bits.
int GatherCodes(CodeReader* reader, ReadPosition* pos);
void ReleaseCodes(CodeReader* reader);

// The next code of width bits (1..12), least significant bit first, or -1 when fewer than
// width bits are left. Assembled from one 8-byte little-endian load.
inline int ReadCode(CodeReader* reader, int width) {
    if (reader->bitPosition + size_t(width) > reader->bitLimit)
        return -1;
    uint64_t bits = 0;
    const uint8_t* at = reader->data + (reader->bitPosition >> 3);
    for (int i = 0; i < 8; ++i)  // folded into one load by the compiler on little-endian targets
        bits |= uint64_t(at[i]) << (8 * i);
    int code = int((bits >> (reader->bitPosition & 7)) & ((1u << width) - 1));
    reader->bitPosition += size_t(width);
    return code;
}

// Decodes the image data at pos (the LZW minimum code size byte and the data sub-blocks) into
// image, whose size must be width x height. red, green and blue are 256-entry colour tables.
// Answers 1: a decoding error ends the fill early but never fails the image.
int DecodeImage(FrameImage* image, ReadPosition* pos, int width, int height,
                const uint8_t* red, const uint8_t* green, const uint8_t* blue, int interlaced);
