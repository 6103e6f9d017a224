// The LZW layer of the GIF decoder: data sub-blocks, variable-width codes, the string table,
// and the fill of one FrameImage in plain or interlaced row order.
//
// Owns: TerminatorSeen, the CodeReader state (code_reader.cpp) and the LzwDecoder state
// (lzw_decoder.cpp). All of it is module-level and exists once; it is reinitialised for
// every image, so only one image is decoded at a time.
// Portable: no platform headers.
#pragma once

#include <cstdint>

#include "gif/frame_image.h"
#include "gif/read_position.h"

// End results of LzwNext; pixel values are 0 and up.
constexpr int kLzwOutOfData = -1;    // the sub-blocks ran out before an end code
constexpr int kLzwEndCode = -2;      // the end code was met
constexpr int kLzwCorrupt = -999;    // a string longer than the value stack, or an impossible code

// 1 when the most recent ReadSubBlock read a block terminator (a sub-block of length 0).
extern int TerminatorSeen;

// Reads one data sub-block into buffer (at least 255 bytes) and answers its length 0..255.
int ReadSubBlock(ReadPosition* pos, uint8_t* buffer);
// Reads sub-blocks until a block terminator has been read.
void SkipSubBlocks(ReadPosition* pos);

void ResetCodeReader();
// The next code of width bits (1..12), least significant bit first across sub-blocks, or -1
// once the sub-blocks are used up.
int ReadCode(ReadPosition* pos, int width);

int LzwStart(ReadPosition* pos, int minimumCodeSize);
// The next pixel value, or kLzwOutOfData, kLzwEndCode or kLzwCorrupt.
int LzwNext(ReadPosition* pos);

// Decodes the image data at pos (the LZW minimum code size byte and the data sub-blocks) into
// image, whose size must be width x height. red, green and blue are 256-entry colour tables.
// Answers 1: a decoding error ends the fill early but never fails the image.
int DecodeImage(FrameImage* image, ReadPosition* pos, int width, int height,
                const uint8_t* red, const uint8_t* green, const uint8_t* blue, int interlaced);
