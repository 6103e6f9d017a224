// Writes the fuzzer's own seed streams into the folder given as the first argument: small
// GIFs made with the test encoder that reach the decoder's odd corners (repeated clear codes,
// a full table without a clear, one-byte sub-blocks, interlacing, every minimum code size,
// extensions of every kind, cut data).
#include <cstdio>
#include <string>

#include "gif_writer.h"

namespace {

void WriteSeed(const std::string& folder, const std::string& name, const Bytes& bytes) {
    std::string path = folder + "/" + name + ".gif";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

Bytes OneImage(int minimumCodeSize, int width, int height, const LzwOptions& options,
               int blockSize, bool interlaced) {
    Bytes gif;
    PutHeader(&gif, width, height, true, 7);
    PutLoopingExtension(&gif);
    PutGraphicControl(&gif, 2, 10, 3);
    ImageSpec spec;
    spec.width = width;
    spec.height = height;
    spec.interlaced = interlaced;
    spec.minimumCodeSize = minimumCodeSize;
    spec.blockSize = blockSize;
    spec.lzw = options;
    spec.pixels = RandomPixels(width * height, 1 << (minimumCodeSize < 8 ? minimumCodeSize : 8),
                               uint32_t(minimumCodeSize * 31 + width));
    PutImage(&gif, spec);
    PutComment(&gif, "seed");
    gif.push_back(0x3B);
    return gif;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 1;
    std::string folder = argv[1];
    for (int size = 2; size <= 8; ++size)
        WriteSeed(folder, "size" + std::to_string(size), OneImage(size, 13, 11, LzwOptions(),
                                                                  255, size % 2 == 0));
    LzwOptions clears;
    clears.leadingClears = 3;
    clears.clearEvery = 5;
    WriteSeed(folder, "clears", OneImage(4, 20, 9, clears, 255, false));
    LzwOptions noClear;
    noClear.clearWhenFull = false;
    WriteSeed(folder, "full_table", OneImage(8, 90, 60, noClear, 255, false));
    WriteSeed(folder, "tiny_blocks", OneImage(8, 30, 20, LzwOptions(), 1, true));
    LzwOptions noEnd;
    noEnd.endCode = false;
    WriteSeed(folder, "no_end_code", OneImage(3, 8, 8, noEnd, 7, false));
    Bytes cut = OneImage(8, 40, 30, LzwOptions(), 64, false);
    cut.resize(cut.size() * 2 / 3);
    WriteSeed(folder, "cut", cut);
    Bytes frames;
    PutHeader(&frames, 16, 16, false, 0, "87a");
    for (int f = 0; f < 4; ++f) {
        PutGraphicControl(&frames, f, f * 5, f % 2 ? f : -1);
        ImageSpec spec;
        spec.left = f;
        spec.top = f;
        spec.width = 16 - f;
        spec.height = 8 + f;
        spec.localTableBits = f;
        spec.minimumCodeSize = 2 + f;
        spec.pixels = RandomPixels(spec.width * spec.height, 2 << f, uint32_t(f));
        PutImage(&frames, spec);
    }
    frames.push_back(0x3B);
    WriteSeed(folder, "local_tables_87a", frames);
    return 0;
}
