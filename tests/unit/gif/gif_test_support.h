// Helpers shared by the GIF decoding tests: loading byte vectors and walking the frame list.
#pragma once

#include <vector>

#include "gif/gif_loader.h"
#include "gif_writer.h"

// Frees the loaded list the way the player's ReleaseAnimation does, without drawing objects.
inline void ReleaseFrameList() {
    FreeFrameList(FrameListHead);
    FrameListHead = nullptr;
}

inline int LoadBytes(const Bytes& bytes) {
    return GifLoadBytes(bytes.data(), bytes.size());
}

inline std::vector<FrameNode*> LoadedFrames() {
    std::vector<FrameNode*> frames;
    for (FrameNode* node = FrameListHead; node; node = node->next)
        frames.push_back(node);
    return frames;
}

// The raster of an image in row-major order.
inline std::vector<int> RowMajor(const FrameImage* image) {
    std::vector<int> out;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x)
            out.push_back(GetPixel(image, x, y));
    return out;
}
