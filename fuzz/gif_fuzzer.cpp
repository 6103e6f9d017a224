// libFuzzer entry point: the GIF loader on an arbitrary byte range. Besides the sanitizers'
// checks, every loaded frame must be consistent: the list links both ways, and every index
// stored in a raster is marked as seen and lies below the image's usedColourCount.
#include <cstddef>
#include <cstdint>

#include "gif/gif_loader.h"

namespace {

// Not instrumented: walking the pixels would otherwise feed the fuzzer millions of
// comparisons per input and slow it down tenfold, without telling it anything new. Images
// over 256K pixels are checked in every 64th column only, for the same reason.
__attribute__((no_sanitize("coverage", "address"))) bool FrameIsConsistent(
    const FrameImage* image) {
    if (image->usedColourCount < 0 || image->usedColourCount > 256)
        return false;
    int columnStep = (long long)image->width * image->height > (1 << 18) ? 64 : 1;
    for (int x = 0; x < image->width; x += columnStep)
        for (int y = 0; y < image->height; ++y) {
            int index = image->columns[x][y];
            if (index != 0 && (image->unseenMark[index] || index >= image->usedColourCount))
                return false;
        }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifLoadBytes(data, size);
    FrameNode* previous = nullptr;
    for (FrameNode* node = FrameListHead; node; node = node->next) {
        if (node->previous != previous || !node->image || !FrameIsConsistent(node->image))
            __builtin_trap();
        previous = node;
    }
    ReleaseAnimation();
    if (FrameListHead)
        __builtin_trap();
    return 0;
}
