// Test-side GIF writer: a small LZW encoder of our own and helpers that assemble GIF streams
// byte by byte, so that tests can build ordinary files as well as deliberately odd ones
// (leading or repeated clear codes, a full table without a clear, tiny sub-blocks, cut data).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Packs codes least significant bit first, as a GIF code stream.
struct CodeWriter {
    Bytes bytes;
    uint32_t pending = 0;
    int pendingBits = 0;
};
void PutCode(CodeWriter* writer, int code, int width);
Bytes FinishCodes(CodeWriter* writer);

struct LzwOptions {
    int leadingClears = 1;       // clear codes written before the first value
    bool clearWhenFull = true;   // false: keep writing 12-bit codes into a full table
    int clearEvery = 0;          // > 0: also write a clear code after this many codes
    bool endCode = true;         // false: the stream just stops
};

// Encodes pixel values (each below 2^minimumCodeSize) into an LZW code stream; the decoder's
// code width is tracked exactly, so the stream is what a conforming decoder expects.
Bytes LzwEncode(const std::vector<int>& values, int minimumCodeSize,
                const LzwOptions& options = LzwOptions());

// Splits data into sub-blocks of at most blockSize bytes, then a terminator when asked.
Bytes PackSubBlocks(const Bytes& data, int blockSize = 255, bool terminator = true);

// Rows of a row-major raster rearranged into the order an interlaced image stores them.
std::vector<int> InterlaceRows(const std::vector<int>& pixels, int width, int height);

void Append(Bytes* out, const Bytes& more);
void PutWord(Bytes* out, int value);

// "GIF89a" (or version), screen descriptor; tableBits 0..7 gives a table of 2 << tableBits
// entries, and when withTable the entries follow (colour i = (i, 255 - i, i / 2)).
void PutHeader(Bytes* out, int width, int height, bool withTable, int tableBits = 7,
               const char* version = "89a");
void PutGraphicControl(Bytes* out, int disposal, int delay, int transparentIndex,
                       int userInput = 0);
void PutLoopingExtension(Bytes* out);
void PutComment(Bytes* out, const std::string& text);

struct ImageSpec {
    int left = 0, top = 0, width = 1, height = 1;
    bool interlaced = false;
    int localTableBits = -1;     // -1: no local table; else 2 << bits entries (colour i = (i, i, 255))
    int minimumCodeSize = 8;
    int blockSize = 255;
    LzwOptions lzw;
    std::vector<int> pixels;     // row-major, width * height values
};
// Image descriptor, local table, code size byte and the packed, terminated code stream.
void PutImage(Bytes* out, const ImageSpec& spec);
// Image descriptor without a local table followed by the given image data bytes as they are.
void PutRawImage(Bytes* out, int width, int height, bool interlaced, const Bytes& data);

// A GIF of the given logical size with one 2 x 2 frame per delay (hundredths of a second).
Bytes Animation(int width, int height, const std::vector<int>& delays);

// Deterministic pseudo-random pixels below count.
std::vector<int> RandomPixels(int size, int count, uint32_t seed);
