// Differential test: every GIF is decoded by our loader and by Debian's giflib (DGifSlurp),
// and for every frame the palette indices, size, position, interlace flag, colour table,
// delay, disposal, user input flag and transparent index must agree. Sources: streams made by
// our own encoder with every combination of options, ImageMagick files generated at build
// time, the GIF files Debian packages ship on this machine, and a third-party suite.
// Where we deliberately differ from giflib (malformed data), the last test names each case.
#include <gtest/gtest.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "gif_test_support.h"

namespace fs = std::filesystem;

namespace {

struct Frame {
    int left, top, width, height, interlaced;
    std::vector<int> pixels;  // row-major
    std::vector<int> colours;  // r, g, b of the table the frame uses (giflib: its length)
    int delay, disposal, userInput, transparentIndex;
};

struct Decoded {
    int ok;  // giflib: DGifSlurp succeeded; ours: GifLoadBytes answered 1
    int error;
    int screenWidth, screenHeight;
    std::vector<Frame> frames;
};

struct MemoryReader {
    const Bytes* bytes;
    size_t at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
    MemoryReader* reader = static_cast<MemoryReader*>(gif->UserData);
    size_t left = reader->bytes->size() - reader->at;
    size_t taken = std::min(size_t(count), left);
    if (taken > 0)
        std::memcpy(out, reader->bytes->data() + reader->at, taken);
    reader->at += taken;
    return int(taken);
}

Decoded DecodeWithGiflib(const Bytes& bytes) {
    Decoded result{};
    MemoryReader reader{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif) {
        result.error = error;
        return result;
    }
    result.ok = DGifSlurp(gif) == GIF_OK;
    result.error = gif->Error;
    result.screenWidth = gif->SWidth;
    result.screenHeight = gif->SHeight;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& saved = gif->SavedImages[i];
        if (!saved.RasterBits)
            break;
        Frame frame{};
        frame.left = saved.ImageDesc.Left;
        frame.top = saved.ImageDesc.Top;
        frame.width = saved.ImageDesc.Width;
        frame.height = saved.ImageDesc.Height;
        frame.interlaced = saved.ImageDesc.Interlace ? 1 : 0;
        frame.pixels.assign(saved.RasterBits,
                            saved.RasterBits + size_t(frame.width) * size_t(frame.height));
        const ColorMapObject* map =
            saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        for (int c = 0; map && c < map->ColorCount; ++c)
            frame.colours.insert(frame.colours.end(), {map->Colors[c].Red,
                                                       map->Colors[c].Green,
                                                       map->Colors[c].Blue});
        GraphicsControlBlock control;
        DGifSavedExtensionToGCB(gif, i, &control);
        frame.delay = control.DelayTime;
        frame.disposal = control.DisposalMode;
        frame.userInput = control.UserInputFlag ? 1 : 0;
        frame.transparentIndex = control.TransparentColor;
        result.frames.push_back(frame);
    }
    DGifCloseFile(gif, &error);
    return result;
}

Decoded DecodeWithOurs(const Bytes& bytes) {
    Decoded result{};
    result.ok = LoadBytes(bytes);
    result.screenWidth = Loaded.ScreenDescriptor.screenWidth;
    result.screenHeight = Loaded.ScreenDescriptor.screenHeight;
    for (FrameNode* node : LoadedFrames()) {
        const FrameImage* image = node->image;
        Frame frame{};
        frame.left = image->left;
        frame.top = image->top;
        frame.width = image->width;
        frame.height = image->height;
        frame.interlaced = image->interlaced;
        frame.pixels = RowMajor(image);
        for (int c = 0; c < 256; ++c)
            frame.colours.insert(frame.colours.end(),
                                 {image->red[c], image->green[c], image->blue[c]});
        frame.delay = node->control.delay;
        frame.disposal = node->control.disposal;
        frame.userInput = node->control.userInput;
        frame.transparentIndex = image->transparentIndex;
        // The transparency flag and the transparent index must tell the same story.
        if (node->control.hasTransparency != (image->transparentIndex != -1))
            frame.transparentIndex = -1000;
        // For a complete image, usedColourCount is one more than the highest index used.
        int highest = frame.pixels.empty()
                          ? -1
                          : *std::max_element(frame.pixels.begin(), frame.pixels.end());
        if (!frame.pixels.empty() && image->usedColourCount != highest + 1)
            frame.delay = -1000;
        result.frames.push_back(frame);
    }
    ReleaseFrameList();
    return result;
}

// Empty when the frames agree, else what differs first.
std::string CompareFrame(const Frame& ours, const Frame& theirs) {
    std::ostringstream why;
    if (ours.left != theirs.left || ours.top != theirs.top || ours.width != theirs.width ||
        ours.height != theirs.height)
        why << "geometry " << ours.left << "," << ours.top << " " << ours.width << "x"
            << ours.height << " vs " << theirs.left << "," << theirs.top << " " << theirs.width
            << "x" << theirs.height;
    else if (ours.interlaced != theirs.interlaced)
        why << "interlace flag";
    else if (ours.pixels != theirs.pixels) {
        size_t at = size_t(std::mismatch(ours.pixels.begin(), ours.pixels.end(),
                                         theirs.pixels.begin()).first - ours.pixels.begin());
        why << "pixel " << at << ": " << ours.pixels[at] << " vs " << theirs.pixels[at];
    } else if (!std::equal(theirs.colours.begin(), theirs.colours.end(), ours.colours.begin()))
        why << "colour table";
    else if (ours.delay != theirs.delay)
        why << "delay " << ours.delay << " vs " << theirs.delay;
    else if (ours.disposal != theirs.disposal)
        why << "disposal " << ours.disposal << " vs " << theirs.disposal;
    else if (ours.userInput != theirs.userInput)
        why << "user input flag";
    else if (ours.transparentIndex != theirs.transparentIndex)
        why << "transparent index " << ours.transparentIndex << " vs "
            << theirs.transparentIndex;
    return why.str();
}

std::string CompareWithGiflib(const Bytes& bytes) {
    Decoded theirs = DecodeWithGiflib(bytes);
    if (!theirs.ok)
        return "giflib refuses the file (error " + std::to_string(theirs.error) + ")";
    Decoded ours = DecodeWithOurs(bytes);
    if (ours.ok != !theirs.frames.empty())
        return "load result " + std::to_string(ours.ok);
    if (ours.screenWidth != theirs.screenWidth || ours.screenHeight != theirs.screenHeight)
        return "screen size";
    if (ours.frames.size() != theirs.frames.size())
        return "frame count " + std::to_string(ours.frames.size()) + " vs " +
               std::to_string(theirs.frames.size());
    for (size_t i = 0; i < ours.frames.size(); ++i) {
        std::string why = CompareFrame(ours.frames[i], theirs.frames[i]);
        if (!why.empty())
            return "frame " + std::to_string(i) + ": " + why;
    }
    return "";
}

Bytes ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> GifFilesUnder(const fs::path& root, bool recursive) {
    std::vector<fs::path> found;
    std::error_code error;
    auto take = [&](const fs::directory_entry& entry) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".gif" && entry.is_regular_file(error))
            found.push_back(entry.path());
    };
    if (recursive) {
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied,
                                            error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error))
            take(*it);
    } else {
        fs::directory_iterator it(root, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error))
            take(*it);
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Compares every file and answers how many were compared; identical files count once.
// Files found on the machine are not ours to choose: one that giflib itself refuses is
// named with giflib's error and only loaded by us (which must not crash), not compared.
size_t CompareFiles(const std::vector<fs::path>& files, bool foundOnMachine = false) {
    std::set<Bytes> seen;
    for (const fs::path& path : files) {
        Bytes bytes = ReadWholeFile(path);
        if (!seen.insert(bytes).second)
            continue;
        Decoded theirs = foundOnMachine ? DecodeWithGiflib(bytes) : Decoded();
        if (foundOnMachine && !theirs.ok) {
            Decoded ours = DecodeWithOurs(bytes);
            std::cout << "not compared: " << path << ": giflib refuses it (error "
                      << theirs.error << "); we load " << ours.frames.size() << " frames\n";
            continue;
        }
        EXPECT_EQ(CompareWithGiflib(bytes), "") << path;
    }
    return seen.size();
}

uint32_t Next(uint32_t* state) {
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

// One well-formed stream per case number, cycling through colour depths 1..8, global and
// local tables, interlacing, transparency, every disposal value, user input, delays,
// offsets, extensions, sub-block sizes and clear-code arrangements.
Bytes GeneratedCase(int k) {
    uint32_t state = uint32_t(k) * 7919u + 1;
    int bits = 1 + k % 8;
    int colours = 1 << bits;
    bool global = k % 5 != 0;
    int frames = 1 + (k / 8) % 3;
    bool large = k % 23 == 0;
    Bytes gif;
    PutHeader(&gif, 1 + int(Next(&state) % 400), 1 + int(Next(&state) % 300), global,
              bits - 1, k % 10 == 3 ? "87a" : "89a");
    if (k % 4 == 1)
        PutLoopingExtension(&gif);
    for (int f = 0; f < frames; ++f) {
        if ((k + f) % 6 != 5)
            PutGraphicControl(&gif, (k + f) % 8, int(Next(&state) % 70000) % 65536,
                              k % 2 ? int(Next(&state) % uint32_t(colours)) : -1,
                              (k / 3 + f) % 2);
        if ((k + f) % 7 == 2)
            PutComment(&gif, "frame " + std::to_string(f));
        ImageSpec spec;
        spec.left = int(Next(&state) % 50);
        spec.top = int(Next(&state) % 50);
        spec.width = large ? 300 : 1 + int(Next(&state) % 120);
        spec.height = large ? 200 : 1 + int(Next(&state) % 90);
        spec.interlaced = (k + f) % 3 == 0;
        if (!global || (k + f) % 4 == 0)
            spec.localTableBits = bits - 1;
        spec.minimumCodeSize = std::max(2, bits);
        spec.blockSize = k % 7 == 0 ? 1 + int(Next(&state) % 16) : 255;
        spec.lzw.clearEvery = k % 9 == 0 ? 50 : 0;
        spec.lzw.clearWhenFull = k % 11 != 0;
        spec.lzw.leadingClears = k % 13 == 0 ? 3 : k % 17 == 0 ? 0 : 1;
        if ((k + f) % 2)
            spec.pixels = RandomPixels(spec.width * spec.height, colours, uint32_t(k * 10 + f));
        else
            for (int y = 0; y < spec.height; ++y)
                for (int x = 0; x < spec.width; ++x)
                    spec.pixels.push_back((x / (1 + k % 5) + y) % colours);
        PutImage(&gif, spec);
    }
    gif.push_back(0x3B);
    return gif;
}

}  // namespace

TEST(GifDifferential, GeneratedStreamsMatchGiflib) {
    const int cases = 240;
    for (int k = 0; k < cases; ++k)
        EXPECT_EQ(CompareWithGiflib(GeneratedCase(k)), "") << "case " << k;
    std::cout << "compared " << cases << " generated streams\n";
}

TEST(GifDifferential, ImageMagickFilesMatchGiflib) {
    std::vector<fs::path> files = GifFilesUnder(REELBOX_GIF_MAGICK_CORPUS, false);
    if (files.empty())
        GTEST_SKIP() << "no ImageMagick corpus in " << REELBOX_GIF_MAGICK_CORPUS;
    std::cout << "compared " << CompareFiles(files) << " ImageMagick files\n";
}

TEST(GifDifferential, SystemGifFilesMatchGiflib) {
    std::vector<fs::path> files;
    std::istringstream roots(REELBOX_GIF_SYSTEM_DIRS);
    for (std::string root; std::getline(roots, root, ':');)
        if (!root.empty()) {
            std::vector<fs::path> more = GifFilesUnder(root, true);
            files.insert(files.end(), more.begin(), more.end());
        }
    if (files.empty())
        GTEST_SKIP() << "no GIF files under " << REELBOX_GIF_SYSTEM_DIRS;
    std::cout << "compared " << CompareFiles(files, true) << " distinct system GIF files\n";
}

TEST(GifDifferential, SuiteFilesMatchGiflib) {
    fs::path folder = fs::path(REELBOX_GIF_SUITE) / "gifs";
    std::vector<fs::path> files = GifFilesUnder(folder, false);
    if (files.empty())
        GTEST_SKIP() << "third-party GIF suite not found at " << folder
                     << " (set REELBOX_GIF_SUITE)";
    std::cout << "compared " << CompareFiles(files) << " suite files\n";
}

// Malformed data where we decode differently from giflib on purpose. Each case says what
// giflib does and what we do instead, and checks both.
TEST(GifDifferential, DeliberateDifferencesOnMalformedData) {
    ImageSpec sprite;
    sprite.width = 30;
    sprite.height = 20;
    sprite.pixels = RandomPixels(600, 256, 77);

    {
        SCOPED_TRACE("unknown version GIF88a: giflib checks only \"GIF\", we refuse the file");
        Bytes gif;
        PutHeader(&gif, 30, 20, true, 7, "88a");
        PutImage(&gif, sprite);
        gif.push_back(0x3B);
        EXPECT_EQ(DecodeWithGiflib(gif).frames.size(), 1u);
        EXPECT_EQ(DecodeWithOurs(gif).ok, 0);
    }
    {
        SCOPED_TRACE("data cut inside the second image: giflib fails the whole load, we keep "
                     "both frames, the second filled as far as its data went");
        Bytes gif;
        PutHeader(&gif, 30, 20, true, 7);
        PutImage(&gif, sprite);
        size_t secondStart = gif.size();
        PutImage(&gif, sprite);
        gif.resize(secondStart + (gif.size() - secondStart) / 2);
        Decoded theirs = DecodeWithGiflib(gif);
        Decoded ours = DecodeWithOurs(gif);
        EXPECT_EQ(theirs.ok, 0);
        ASSERT_EQ(ours.frames.size(), 2u);
        ASSERT_GE(theirs.frames.size(), 1u);
        EXPECT_EQ(CompareFrame(ours.frames[0], theirs.frames[0]), "");
        EXPECT_EQ(ours.frames[1].pixels[0], sprite.pixels[0]);
        EXPECT_EQ(ours.frames[1].pixels.back(), 0);
    }
    {
        SCOPED_TRACE("end code before the last row: giflib reports EOF too soon and fails, we "
                     "keep the image with the rest index 0");
        Bytes gif;
        PutHeader(&gif, 30, 20, true, 7);
        ImageSpec shortData = sprite;
        shortData.pixels.resize(250);
        Bytes codes = LzwEncode(shortData.pixels, 8);
        PutRawImage(&gif, 30, 20, false, Bytes{8});
        Append(&gif, PackSubBlocks(codes));
        gif.push_back(0x3B);
        EXPECT_EQ(DecodeWithGiflib(gif).ok, 0);
        Decoded ours = DecodeWithOurs(gif);
        ASSERT_EQ(ours.frames.size(), 1u);
        EXPECT_TRUE(std::equal(shortData.pixels.begin(), shortData.pixels.end(),
                               ours.frames[0].pixels.begin()));
        EXPECT_EQ(ours.frames[0].pixels[250], 0);
    }
    {
        SCOPED_TRACE("minimum code size 10: giflib refuses sizes above 8, we decode and keep "
                     "the low 8 bits of each value");
        Bytes gif;
        PutHeader(&gif, 2, 1, true, 7);
        CodeWriter writer;
        for (int code : {1024, 300, 5, 1025})
            PutCode(&writer, code, 11);
        PutRawImage(&gif, 2, 1, false, Bytes{10});
        Append(&gif, PackSubBlocks(FinishCodes(&writer)));
        gif.push_back(0x3B);
        EXPECT_EQ(DecodeWithGiflib(gif).ok, 0);
        Decoded ours = DecodeWithOurs(gif);
        ASSERT_EQ(ours.frames.size(), 1u);
        EXPECT_EQ(ours.frames[0].pixels, (std::vector<int>{44, 5}));
    }
    {
        SCOPED_TRACE("two graphic control extensions before one image: giflib takes the "
                     "first, we take the second (and the first's transparent index)");
        Bytes gif;
        PutHeader(&gif, 30, 20, true, 7);
        PutGraphicControl(&gif, 2, 40, 17);
        PutGraphicControl(&gif, 1, 8, -1);
        PutImage(&gif, sprite);
        gif.push_back(0x3B);
        Decoded theirs = DecodeWithGiflib(gif);
        Decoded ours = DecodeWithOurs(gif);
        ASSERT_EQ(theirs.frames.size(), 1u);
        ASSERT_EQ(ours.frames.size(), 1u);
        EXPECT_EQ(theirs.frames[0].delay, 40);
        EXPECT_EQ(ours.frames[0].delay, 8);
        EXPECT_EQ(ours.frames[0].disposal, 1);
        EXPECT_EQ(ours.frames[0].pixels, theirs.frames[0].pixels);
    }
}
