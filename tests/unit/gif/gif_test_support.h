// Helpers shared by the GIF decoding tests: loading byte vectors and walking the frame list.
#pragma once

#include <vector>

#include "gif/gif_loader.h"
#include "gif_writer.h"

// The load the helpers below work on.
inline LoadedGif Loaded;

// Frees the load the way the player's ReleaseAnimation does, without drawing objects.
inline void ReleaseFrameList() {
    FreeLoadedGif(&Loaded);
}

// Loads the bytes into Loaded (freeing what it held): 1 when a frame was loaded.
inline int LoadBytes(const Bytes& bytes) {
    ReleaseFrameList();
    Loaded = GifLoadBytes(bytes.data(), bytes.size());
    return Loaded.FrameListHead != nullptr;
}

inline std::vector<FrameNode*> LoadedFrames() {
    std::vector<FrameNode*> frames;
    for (FrameNode* node = Loaded.FrameListHead; node; node = node->next)
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
