// The byte layout of a FrameDib: the packed device-independent bitmap a frame is drawn
// from. A 40-byte BITMAPINFOHEADER, then one RGBQUAD (blue, green, red, 0) per colour,
// then the pixel rows, bottom row first, each padded with zeros to a multiple of 4 bytes.
//
// Owns: nothing; it computes sizes and writes bytes into a buffer the caller provides.
// The Windows side allocates the movable block and hands its locked address to
// WriteFrameDib, so the layout exists in one place and is tested natively.
// Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gif/frame_image.h"
#include "gif/gif_loader.h"

constexpr uint32_t kDibHeaderSize = 40;
constexpr uint32_t kDibColourEntrySize = 4;

// Byte offsets of the BITMAPINFOHEADER fields (all little-endian).
enum DibHeaderOffset : uint32_t {
    kDibOffsetSize = 0,
    kDibOffsetWidth = 4,
    kDibOffsetHeight = 8,
    kDibOffsetPlanes = 12,
    kDibOffsetBitCount = 14,
    kDibOffsetCompression = 16,
    kDibOffsetSizeImage = 20,
    kDibOffsetXPelsPerMeter = 24,
    kDibOffsetYPelsPerMeter = 28,
    kDibOffsetClrUsed = 32,
    kDibOffsetClrImportant = 36,
};

struct FrameDibLayout {
    int width;
    int height;
    int colourCount;       // entries in the colour table; also biClrUsed and biClrImportant
    int bitsPerPixel;      // 1, 4 or 8
    uint32_t stride;       // bytes per stored row, a multiple of 4
    uint32_t pixelBytes;   // stride x height, the biSizeImage field
    size_t totalBytes;     // header + colour table + pixel rows
};

// 1 bit for up to 2 colours, 4 for up to 16, 8 above.
int DibBitsPerPixelFor(int colourCount);
// Row length in bytes, rounded up to a multiple of 4.
uint32_t DibStrideFor(int bitsPerPixel, int width);

// The colour count of a frame: the global table's globalColourCount when the frame uses it
// (whether or not the file had a global table), else the frame's usedColourCount. Kept to
// 0..256 so a damaged count never reads past the 256-entry tables.
int FrameDibColourCount(const FrameImage* frame, const ScreenDescriptorRecord& screen);

// 1 and the layout for a frame; 0 for a null frame.
int ComputeFrameDibLayout(const FrameImage* frame, const ScreenDescriptorRecord& screen,
                          FrameDibLayout* layout);

// Writes layout.totalBytes bytes (header, colour table, rows) to out. The buffer need not
// be cleared first: padding bytes and unused bits are written as 0.
void WriteFrameDib(const FrameImage* frame, const ScreenDescriptorRecord& screen,
                   const FrameDibLayout& layout, uint8_t* out);

// A DIB whose table has no entries cannot be drawn: the header would send the drawing
// call to read the pixel rows as colours. Frames with no pixels are not drawn either.
bool FrameDibIsDrawable(const FrameDibLayout& layout);

// The colour a frame's palette index stands for as 0x00RRGGBB, read from the same table
// WriteFrameDib copies (an index the DIB's depth cannot hold is cut to its low bits, as
// in the packed rows).
uint32_t FrameDibColourOf(const FrameImage* frame, const ScreenDescriptorRecord& screen,
                          const FrameDibLayout& layout, int index);
