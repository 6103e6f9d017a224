// FrameImage creation, release and bounded pixel access (see frame_image.h).
#include "gif/frame_image.h"

#include <cstdlib>
#include <cstring>

namespace {

// An image larger than this is refused like an allocation failure, so that a hostile size
// in a descriptor cannot exhaust memory. 4096 x 4096 is far beyond any real animation.
constexpr long long kMaxImagePixels = 4096LL * 4096LL;

}  // namespace

FrameImage* CreateFrameImage(int width, int height) {
    if (width < 0 || height < 0 || (long long)width * height > kMaxImagePixels)
        return nullptr;
    FrameImage* image = static_cast<FrameImage*>(std::calloc(1, sizeof(FrameImage)));
    if (!image)
        return nullptr;
    image->columns = static_cast<uint8_t**>(std::malloc(size_t(width > 0 ? width : 1) *
                                                        sizeof(uint8_t*)));
    // All columns share one zero-filled block; columns[0] is its start (see FreeFrameImage).
    uint8_t* raster = width > 0 ? static_cast<uint8_t*>(std::calloc(
                                      size_t(width) * size_t(height > 0 ? height : 1), 1))
                                : nullptr;
    if (!image->columns || (width > 0 && !raster)) {
        std::free(image->columns);
        std::free(image);
        return nullptr;
    }
    for (int x = 0; x < width; ++x)
        image->columns[x] = raster + size_t(x) * size_t(height);
    image->width = width;
    image->height = height;
    image->usesGlobalTable = 1;
    image->transparentIndex = -1;
    return image;
}

void FreeFrameImage(FrameImage* image) {
    if (!image)
        return;
    if (image->columns) {
        if (image->width > 0)
            std::free(image->columns[0]);
        std::free(image->columns);
    }
    std::free(image);
}

void SetTransparentIndex(FrameImage* image, int index) {
    image->transparentIndex = index;
}

bool IsInside(const FrameImage* image, int x, int y) {
    return x >= 0 && x < image->width && y >= 0 && y < image->height;
}

void StorePixel(FrameImage* image, int x, int y, int value) {
    if (IsInside(image, x, y))
        image->columns[x][y] = uint8_t(value);
}

int GetPixel(const FrameImage* image, int x, int y) {
    return IsInside(image, x, y) ? image->columns[x][y] : 0;
}
