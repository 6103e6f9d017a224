// FrameDib sizes, header fields, colour table and pixel packing (see dib_layout.h).
#include "render/dib_layout.h"

#include <cstring>

namespace {

void PutLe16(uint8_t* at, uint32_t value) {
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

void PutLe32(uint8_t* at, uint32_t value) {
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
    at[2] = uint8_t(value >> 16);
    at[3] = uint8_t(value >> 24);
}

// An index wider than the depth only comes from a damaged image; cutting it to the depth
// keeps it from spilling into the neighbouring pixel's bits.
int IndexMaskFor(int bitsPerPixel) {
    return (1 << bitsPerPixel) - 1;
}

void WriteHeader(const FrameDibLayout& layout, uint8_t* out) {
    std::memset(out, 0, kDibHeaderSize);
    PutLe32(out + kDibOffsetSize, kDibHeaderSize);
    PutLe32(out + kDibOffsetWidth, uint32_t(layout.width));
    PutLe32(out + kDibOffsetHeight, uint32_t(layout.height));
    PutLe16(out + kDibOffsetPlanes, 1);
    PutLe16(out + kDibOffsetBitCount, uint32_t(layout.bitsPerPixel));
    PutLe32(out + kDibOffsetSizeImage, layout.pixelBytes);
    PutLe32(out + kDibOffsetClrUsed, uint32_t(layout.colourCount));
    PutLe32(out + kDibOffsetClrImportant, uint32_t(layout.colourCount));
}

void WriteColourTable(const FrameImage* frame, const ScreenDescriptorRecord& screen,
                      const FrameDibLayout& layout, uint8_t* table) {
    for (int i = 0; i < layout.colourCount; ++i) {
        uint8_t* entry = table + i * kDibColourEntrySize;
        if (frame->usesGlobalTable) {
            entry[0] = screen.globalBlue[i];
            entry[1] = screen.globalGreen[i];
            entry[2] = screen.globalRed[i];
        } else {
            entry[0] = uint8_t(frame->blue[i]);
            entry[1] = uint8_t(frame->green[i]);
            entry[2] = uint8_t(frame->red[i]);
        }
        entry[3] = 0;
    }
}

void WriteRow(const FrameImage* frame, const FrameDibLayout& layout, int y, uint8_t* row) {
    const int mask = IndexMaskFor(layout.bitsPerPixel);
    for (int x = 0; x < layout.width; ++x) {
        const int index = frame->columns[x][y] & mask;
        switch (layout.bitsPerPixel) {
        case 1:
            row[x >> 3] |= uint8_t(index << (7 - (x & 7)));
            break;
        case 4:
            row[x >> 1] |= uint8_t((x & 1) ? index : index << 4);
            break;
        default:
            row[x] = uint8_t(index);
            break;
        }
    }
}

}  // namespace

int DibBitsPerPixelFor(int colourCount) {
    if (colourCount <= 2)
        return 1;
    if (colourCount <= 16)
        return 4;
    return 8;
}

uint32_t DibStrideFor(int bitsPerPixel, int width) {
    return ((uint32_t(bitsPerPixel) * uint32_t(width) + 31) / 32) * 4;
}

int FrameDibColourCount(const FrameImage* frame, const ScreenDescriptorRecord& screen) {
    int count = frame->usesGlobalTable ? screen.globalColourCount : frame->usedColourCount;
    if (count < 0)
        return 0;
    return count > 256 ? 256 : count;
}

int ComputeFrameDibLayout(const FrameImage* frame, const ScreenDescriptorRecord& screen,
                          FrameDibLayout* layout) {
    if (!frame)
        return 0;
    layout->width = frame->width;
    layout->height = frame->height;
    layout->colourCount = FrameDibColourCount(frame, screen);
    layout->bitsPerPixel = DibBitsPerPixelFor(layout->colourCount);
    layout->stride = DibStrideFor(layout->bitsPerPixel, frame->width);
    layout->pixelBytes = layout->stride * uint32_t(frame->height);
    layout->totalBytes = kDibHeaderSize + size_t(layout->colourCount) * kDibColourEntrySize +
                         layout->pixelBytes;
    return 1;
}

void WriteFrameDib(const FrameImage* frame, const ScreenDescriptorRecord& screen,
                   const FrameDibLayout& layout, uint8_t* out) {
    WriteHeader(layout, out);
    uint8_t* table = out + kDibHeaderSize;
    WriteColourTable(frame, screen, layout, table);
    uint8_t* pixels = table + size_t(layout.colourCount) * kDibColourEntrySize;
    std::memset(pixels, 0, layout.pixelBytes);
    // A positive biHeight means bottom-up: stored row 0 is the frame's last row.
    for (int stored = 0; stored < layout.height; ++stored)
        WriteRow(frame, layout, layout.height - 1 - stored, pixels + size_t(stored) * layout.stride);
}

bool FrameDibIsDrawable(const FrameDibLayout& layout) {
    return layout.colourCount > 0 && layout.width > 0 && layout.height > 0;
}

uint32_t FrameDibColourOf(const FrameImage* frame, const ScreenDescriptorRecord& screen,
                          const FrameDibLayout& layout, int index) {
    const int i = index & IndexMaskFor(layout.bitsPerPixel);
    if (frame->usesGlobalTable)
        return uint32_t(screen.globalRed[i]) << 16 | uint32_t(screen.globalGreen[i]) << 8 |
               screen.globalBlue[i];
    return uint32_t(frame->red[i] & 0xFF) << 16 | uint32_t(frame->green[i] & 0xFF) << 8 |
           uint32_t(frame->blue[i] & 0xFF);
}
