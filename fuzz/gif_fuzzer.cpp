// libFuzzer entry point: the GIF loader on an arbitrary byte range. Besides the sanitizers'
// checks, every loaded frame must be consistent: the list links both ways, and every index
// stored in a raster is marked as seen and lies below the image's usedColourCount. Each
// input is loaded twice, and both loads must give the same frames: nothing may carry from
// one load into the next. The outline of the same bytes (the parse without decoding) must
// count at least the frames the load gave, and call the header valid whenever a frame loaded.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "gif/gif_loader.h"

namespace {

// Not instrumented: walking the pixels would otherwise feed the fuzzer millions of
// comparisons per input and slow it down tenfold, without telling it anything new. Images
// over 256K pixels are checked in every 64th column only, for the same reason.
__attribute__((no_sanitize("coverage", "address"))) bool FrameIsConsistent(
    const FrameImage* image, uint64_t* digest) {
    if (image->usedColourCount < 0 || image->usedColourCount > 256)
        return false;
    int columnStep = (long long)image->width * image->height > (1 << 18) ? 64 : 1;
    for (int x = 0; x < image->width; x += columnStep)
        for (int y = 0; y < image->height; ++y) {
            int index = image->columns[x][y];
            if (index != 0 && (image->unseenMark[index] || index >= image->usedColourCount))
                return false;
            *digest = (*digest ^ uint64_t(index)) * 1099511628211u;
        }
    return true;
}

__attribute__((no_sanitize("coverage"))) void Mix(uint64_t* digest, int value) {
    *digest = (*digest ^ uint64_t(uint32_t(value))) * 1099511628211u;
}

// Loads the bytes, checks every frame and answers a digest of the frames.
uint64_t LoadAndCheck(const uint8_t* data, size_t size) {
    uint64_t digest = 14695981039346656037u;
    LoadedGif gif = GifLoadBytes(data, size);
    Mix(&digest, gif.FrameListHead != nullptr);
    const GifOutline outline = OutlineGif(data, size);
    int frames = 0;
    FrameNode* previous = nullptr;
    for (FrameNode* node = gif.FrameListHead; node; node = node->next, ++frames) {
        if (node->previous != previous || !node->image ||
            !FrameIsConsistent(node->image, &digest))
            __builtin_trap();
        const FrameImage* image = node->image;
        for (int value : {image->left, image->top, image->width, image->height,
                          image->usedColourCount, image->transparentIndex, image->interlaced,
                          node->control.delay, node->control.disposal,
                          node->control.hasTransparency, node->control.userInput})
            Mix(&digest, value);
        previous = node;
    }
    if (frames > outline.images || (frames > 0 && !outline.valid))
        __builtin_trap();
    FreeLoadedGif(&gif);
    return digest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (LoadAndCheck(data, size) != LoadAndCheck(data, size))
        __builtin_trap();
    return 0;
}
