// Hand-built frames and frame lists for the rendering tests, so that they do not depend
// on the GIF parser: every pixel, colour and count is the one the test states.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/frame_image.h"
#include "gif/gif_loader.h"

// A frame with its own colour table (0x00RRGGBB entries; usedColourCount = table size) or,
// with an empty table, on the global table. Pixels are given row by row.
inline FrameImage* MakeFrame(int width, int height, int left, int top,
                             const std::vector<uint32_t>& table,
                             const std::vector<int>& rowMajorPixels, int transparentIndex = -1) {
    FrameImage* frame = CreateFrameImage(width, height);
    if (!frame)
        return nullptr;
    frame->left = left;
    frame->top = top;
    frame->usesGlobalTable = table.empty() ? 1 : 0;
    frame->usedColourCount = int(table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        frame->red[i] = int(table[i] >> 16 & 0xFF);
        frame->green[i] = int(table[i] >> 8 & 0xFF);
        frame->blue[i] = int(table[i] & 0xFF);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            StorePixel(frame, x, y, rowMajorPixels[size_t(y) * width + x]);
    frame->transparentIndex = transparentIndex;
    return frame;
}

// A frame of one index everywhere.
inline FrameImage* MakeFlatFrame(int width, int height, int left, int top,
                                 const std::vector<uint32_t>& table, int index) {
    return MakeFrame(width, height, left, top, table,
                     std::vector<int>(size_t(width) * height, index));
}

inline void SetGlobalTable(ScreenDescriptorRecord& screen, const std::vector<uint32_t>& table,
                           int globalColourCount, int hasGlobalTable) {
    for (size_t i = 0; i < table.size(); ++i) {
        screen.globalRed[i] = uint8_t(table[i] >> 16);
        screen.globalGreen[i] = uint8_t(table[i] >> 8);
        screen.globalBlue[i] = uint8_t(table[i]);
    }
    screen.globalColourCount = globalColourCount;
    screen.hasGlobalTable = hasGlobalTable;
}

// Nodes linked in vector order; the vector must not grow afterwards. The images stay the
// caller's (FreeNodeImages).
inline FrameNode* LinkNodes(std::vector<FrameNode>& nodes) {
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i].next = i + 1 < nodes.size() ? &nodes[i + 1] : nullptr;
        nodes[i].previous = i > 0 ? &nodes[i - 1] : nullptr;
    }
    return nodes.empty() ? nullptr : &nodes[0];
}

inline FrameNode MakeNode(FrameImage* image, int disposal) {
    FrameNode node{};
    node.image = image;
    node.control.disposal = disposal;
    node.control.hasTransparency = image && image->transparentIndex != -1;
    return node;
}

inline void FreeNodeImages(std::vector<FrameNode>& nodes) {
    for (FrameNode& node : nodes) {
        FreeFrameImage(node.image);
        node.image = nullptr;
    }
}
