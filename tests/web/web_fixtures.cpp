// Inputs and expectations for the web page's tests, made with the project's own code:
//   web_fixtures gif OUT.gif               the preview test's animation
//   web_fixtures model GIF RRGGBB OUT.rgb  what the composition model shows for each frame
//                                          over a plain backdrop, RGB frames one after another
//   web_fixtures message SHOW OUT.rgba     the message picture a show stores, as the packing
//                                          core reads it back: side x side RGBA, side in OUT.side
#include <cstdio>
#include <cstdlib>
#include <string>

#include <vector>

#include "gif/gif_loader.h"
#include "pack/pack_api.h"
#include "gif_writer.h"
#include "render/composition_model.h"

namespace {

bool WriteBytes(const char* path, const void* data, size_t size) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void PutFrame(Bytes* out, ImageSpec image, int disposal, int delay, int transparent,
              int (*pixel)(int x, int y)) {
    image.pixels.resize(size_t(image.width) * image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.pixels[size_t(y) * image.width + x] = pixel(x, y);
    PutGraphicControl(out, disposal, delay, transparent);
    PutImage(out, image);
}

ImageSpec At(int left, int top, int width, int height) {
    ImageSpec image;
    image.left = left;
    image.top = top;
    image.width = width;
    image.height = height;
    return image;
}

// Every way a frame can leave: kept (0, 1), back to the backdrop (2), back to what lay
// under it (3); transparent holes, partial frames, a local table, an interlaced frame and
// a frame reaching past the logical screen.
Bytes PreviewAnimation() {
    Bytes out;
    PutHeader(&out, 48, 32, true, 7);
    PutFrame(&out, At(0, 0, 48, 32), 1, 10, 0, [](int x, int y) { return (x / 4 + y / 4) % 3 ? 0 : 90; });
    PutFrame(&out, At(8, 4, 20, 12), 0, 5, -1, [](int x, int) { return 140 + x; });
    PutFrame(&out, At(20, 10, 16, 16), 2, 7, 7, [](int x, int y) { return (x + y) % 2 ? 7 : 200; });
    ImageSpec local = At(4, 16, 24, 12);
    local.localTableBits = 4;
    local.minimumCodeSize = 5;
    PutFrame(&out, local, 3, 0, -1, [](int x, int y) { return (x * y) % 31; });
    ImageSpec interlaced = At(30, 2, 28, 20);   // reaches past the right edge
    interlaced.interlaced = true;
    PutFrame(&out, interlaced, 1, 12, 3, [](int x, int y) { return (x + 2 * y) % 5 == 0 ? 3 : 60 + y; });
    PutFrame(&out, At(0, 0, 10, 10), 1, 10, -1, [](int, int) { return 250; });
    out.push_back(0x3B);
    return out;
}

int Model(const char* gifPath, const char* colour, const char* outPath) {
    LoadedGif gif = GifLoader(gifPath);
    if (!gif.FrameListHead) {
        std::fprintf(stderr, "web_fixtures: the decoder loads no frame of %s\n", gifPath);
        return 1;
    }
    const uint32_t fill = uint32_t(std::strtoul(colour, nullptr, 16));
    const ScreenDescriptorRecord& screen = gif.ScreenDescriptor;
    ModelImage backdrop = MakeModelImage(screen.screenWidth, screen.screenHeight, fill);
    std::string rgb;
    for (const ModelImage& frame : ModelPlayList(gif.FrameListHead, screen, backdrop))
        for (uint32_t pixel : frame.pixels) {
            rgb.push_back(char(pixel >> 16));
            rgb.push_back(char(pixel >> 8));
            rgb.push_back(char(pixel));
        }
    FreeLoadedGif(&gif);
    return WriteBytes(outPath, rgb.data(), rgb.size()) ? 0 : 1;
}

int Message(const char* showPath, const std::string& outPath) {
    FILE* file = std::fopen(showPath, "rb");
    if (!file) return 1;
    std::vector<unsigned char> show;
    unsigned char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) show.insert(show.end(), chunk, chunk + n);
    std::fclose(file);
    ReelboxPacker* packer = ReelboxPackCreate();
    int side = 0;
    const unsigned char* pixels = ReelboxPackMessagePixels(packer, show.data(), show.size(), &side);
    const std::string sideText = std::to_string(side);
    const bool written = pixels && WriteBytes(outPath.c_str(), pixels, size_t(side) * size_t(side) * 4) &&
                         WriteBytes((outPath + ".side").c_str(), sideText.data(), sideText.size());
    ReelboxPackFree(packer);
    if (!pixels) std::fprintf(stderr, "web_fixtures: %s holds no message picture the core reads\n", showPath);
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "gif" && argc == 3) {
        Bytes gif = PreviewAnimation();
        return WriteBytes(argv[2], gif.data(), gif.size()) ? 0 : 1;
    }
    if (mode == "model" && argc == 5) return Model(argv[2], argv[3], argv[4]);
    if (mode == "message" && argc == 4) return Message(argv[2], argv[3]);
    std::fprintf(stderr, "usage: web_fixtures gif OUT.gif | model GIF RRGGBB OUT.rgb | message SHOW OUT.rgba\n");
    return 2;
}
