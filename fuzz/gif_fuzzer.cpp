// libFuzzer entry point: the GIF loader on an arbitrary byte range. Besides the sanitizers'
// checks, every loaded frame must be consistent: the list links both ways, and every index
// stored in a raster is marked as seen and lies below the image's usedColourCount.
#include <cstddef>
#include <cstdint>

#include "gif/gif_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifLoadBytes(data, size);
    FrameNode* previous = nullptr;
    for (FrameNode* node = FrameListHead; node; node = node->next) {
        if (node->previous != previous || !node->image)
            __builtin_trap();
        const FrameImage* image = node->image;
        if (image->usedColourCount < 0 || image->usedColourCount > 256)
            __builtin_trap();
        for (int x = 0; x < image->width; ++x)
            for (int y = 0; y < image->height; ++y) {
                int index = image->columns[x][y];
                if (index != 0 && (image->unseenMark[index] || index >= image->usedColourCount))
                    __builtin_trap();
            }
        previous = node;
    }
    ReleaseAnimation();
    if (FrameListHead)
        __builtin_trap();
    return 0;
}
