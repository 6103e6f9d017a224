// The stream parser and the frame list: control data, signatures, colour tables, cut files,
// budgets, the file loader and the release of the list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gif_test_support.h"

namespace {

class GifParser : public ::testing::Test {
protected:
    void TearDown() override { ReleaseFrameList(); }
};

ImageSpec Sprite(int width, int height, uint32_t seed, int colours = 256) {
    ImageSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixels = RandomPixels(width * height, colours, seed);
    return spec;
}

void ExpectControl(const FrameControl& control, int hasTransparency, int delay, int userInput,
                   int disposal) {
    EXPECT_EQ(control.hasTransparency, hasTransparency);
    EXPECT_EQ(control.delay, delay);
    EXPECT_EQ(control.userInput, userInput);
    EXPECT_EQ(control.disposal, disposal);
}

std::string TempPath(const char* name) {
    return ::testing::TempDir() + name;
}

// The loader takes the platform's file-name form (UTF-16 on Windows); these are ASCII.
std::basic_string<PathChar> LoaderPath(const std::string& path) {
    return std::basic_string<PathChar>(path.begin(), path.end());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

}  // namespace

TEST_F(GifParser, ControlExtensionsApplyToTheNextImageOnly) {
    Bytes gif;
    PutHeader(&gif, 40, 30, true);
    PutLoopingExtension(&gif);
    PutGraphicControl(&gif, 2, 20, 254);
    ImageSpec first = Sprite(5, 4, 1);
    first.left = 3;
    first.top = 65535;
    PutImage(&gif, first);
    PutComment(&gif, "between frames");
    ImageSpec second = Sprite(6, 7, 2, 16);
    second.interlaced = true;
    second.localTableBits = 3;
    second.minimumCodeSize = 4;
    PutImage(&gif, second);
    gif.push_back(0x3B);

    ASSERT_EQ(LoadBytes(gif), 1);
    std::vector<FrameNode*> frames = LoadedFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->previous, nullptr);
    EXPECT_EQ(frames[1]->previous, frames[0]);
    EXPECT_EQ(frames[1]->next, nullptr);

    ExpectControl(frames[0]->control, 1, 20, 0, 2);
    const FrameImage* a = frames[0]->image;
    EXPECT_EQ(a->transparentIndex, 254);
    EXPECT_EQ(a->left, 3);
    EXPECT_EQ(a->top, 65535);
    EXPECT_EQ(a->usesGlobalTable, 1);
    EXPECT_EQ(a->interlaced, 0);
    EXPECT_EQ(RowMajor(a), first.pixels);
    EXPECT_EQ(a->green[10], 245);

    ExpectControl(frames[1]->control, 0, 0, 0, 0);
    const FrameImage* b = frames[1]->image;
    EXPECT_EQ(b->transparentIndex, -1);
    EXPECT_EQ(b->usesGlobalTable, 0);
    EXPECT_EQ(b->interlaced, 1);
    EXPECT_EQ(RowMajor(b), second.pixels);
    EXPECT_EQ(b->blue[5], 255);   // local table entry
    EXPECT_EQ(b->blue[200], 0);   // beyond the 16-entry local table
}

TEST_F(GifParser, SecondControlExtensionWinsButFirstTransparentIndexStays) {
    Bytes gif;
    PutHeader(&gif, 4, 4, true);
    PutGraphicControl(&gif, 3, 7, 9, 1);
    PutGraphicControl(&gif, 1, 5, -1);
    PutImage(&gif, Sprite(4, 4, 3));
    PutGraphicControl(&gif, 2, 99, 1);  // after the last image
    gif.push_back(0x3B);

    ASSERT_EQ(LoadBytes(gif), 1);
    std::vector<FrameNode*> frames = LoadedFrames();
    ASSERT_EQ(frames.size(), 1u);
    ExpectControl(frames[0]->control, 0, 5, 0, 1);
    EXPECT_EQ(frames[0]->image->transparentIndex, 9);
}

TEST_F(GifParser, ShortControlSubBlockStaysInsideItsExtension) {
    Bytes gif;
    PutHeader(&gif, 4, 4, true);
    Append(&gif, Bytes{0x21, 0xF9, 0});  // an empty one: its length byte is its terminator
    // Packed byte: disposal 2, transparent flag; the sub-block ends after the delay's low byte.
    Append(&gif, Bytes{0x21, 0xF9, 2, 0x09, 5, 0});
    gif.push_back(0x17);  // a stray byte between blocks
    ImageSpec image = Sprite(4, 4, 4);
    PutImage(&gif, image);
    Append(&gif, Bytes{0x21, 0xF9, 0});  // an empty one after the image
    gif.push_back(0x3B);

    ASSERT_EQ(LoadBytes(gif), 1);
    std::vector<FrameNode*> frames = LoadedFrames();
    ASSERT_EQ(frames.size(), 1u);
    ExpectControl(frames[0]->control, 1, 5, 0, 2);
    EXPECT_EQ(frames[0]->image->transparentIndex, 0);
    EXPECT_EQ(RowMajor(frames[0]->image), image.pixels);
}

TEST_F(GifParser, Gif87aParsesLikeGif89a) {
    Bytes gif87, gif89;
    for (Bytes* gif : {&gif87, &gif89}) {
        PutHeader(gif, 9, 9, true, 7, gif == &gif87 ? "87a" : "89a");
        PutGraphicControl(gif, 1, 12, 3);
        PutImage(gif, Sprite(9, 9, 5));
        gif->push_back(0x3B);
    }
    ASSERT_EQ(LoadBytes(gif87), 1);
    std::vector<int> pixels87 = RowMajor(Loaded.FrameListHead->image);
    FrameControl control87 = Loaded.FrameListHead->control;
    ReleaseFrameList();
    ASSERT_EQ(LoadBytes(gif89), 1);
    EXPECT_EQ(RowMajor(Loaded.FrameListHead->image), pixels87);
    ExpectControl(control87, 1, 12, 0, 1);
}

TEST_F(GifParser, BadSignaturesAreRefusedWithAnEmptyLoad) {
    for (const char* signature : {"gif89a", "GIF89b", "GIF88a", "GIF8", "Gif87a", ""}) {
        Bytes bad;
        PutHeader(&bad, 30, 40, true);
        bad.erase(bad.begin(), bad.begin() + 6);
        std::string text(signature);
        bad.insert(bad.begin(), text.begin(), text.end());
        if (text.size() < 6)
            bad.resize(text.size());
        EXPECT_EQ(LoadBytes(bad), 0) << signature;
        EXPECT_EQ(Loaded.FrameListHead, nullptr);
        EXPECT_EQ(Loaded.ScreenDescriptor.screenWidth, 0) << signature;
        EXPECT_EQ(Loaded.ScreenDescriptor.screenHeight, 0) << signature;
    }
}

// Each load starts from an empty descriptor: entries beyond the file's table stay black,
// whatever an earlier load held.
TEST_F(GifParser, GlobalTableFillsOnlyItsOwnEntries) {
    Bytes full;
    PutHeader(&full, 4, 4, true, 7);
    PutImage(&full, Sprite(1, 1, 7));
    ASSERT_EQ(LoadBytes(full), 1);
    ReleaseFrameList();

    Bytes small = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x85, 0, 0};
    for (int i = 0; i < 64; ++i)
        Append(&small, Bytes{200, 201, 202});
    PutImage(&small, Sprite(1, 1, 8, 64));
    ASSERT_EQ(LoadBytes(small), 1);
    EXPECT_EQ(Loaded.ScreenDescriptor.globalColourCount, 64);
    EXPECT_EQ(Loaded.ScreenDescriptor.globalRed[63], 200);
    EXPECT_EQ(Loaded.ScreenDescriptor.globalGreen[64], 0);
    EXPECT_EQ(Loaded.ScreenDescriptor.globalRed[255], 0);
    ReleaseFrameList();

    Bytes none;
    PutHeader(&none, 4, 4, false, 2);
    ImageSpec local = Sprite(2, 2, 9, 8);
    local.localTableBits = 2;
    PutImage(&none, local);
    ASSERT_EQ(LoadBytes(none), 1);
    EXPECT_EQ(Loaded.ScreenDescriptor.hasGlobalTable, 0);
    EXPECT_EQ(Loaded.ScreenDescriptor.globalColourCount, 8);
    EXPECT_EQ(Loaded.ScreenDescriptor.globalRed[0], 0);
}

TEST_F(GifParser, NoImageBeforeTheEndGivesNoList) {
    for (uint8_t end : {uint8_t(0x3B), uint8_t(0)}) {
        Bytes gif;
        PutHeader(&gif, 4, 4, true);
        PutComment(&gif, "nothing");
        gif.push_back(end);
        PutImage(&gif, Sprite(2, 2, 10));
        EXPECT_EQ(LoadBytes(gif), 0);
        EXPECT_EQ(Loaded.FrameListHead, nullptr);
        EXPECT_EQ(Loaded.ScreenDescriptor.screenWidth, 4);
    }
}

TEST_F(GifParser, FileCutAnywhereEndsCleanly) {
    Bytes gif;
    PutHeader(&gif, 50, 50, true);
    PutGraphicControl(&gif, 1, 10, -1);
    PutImage(&gif, Sprite(20, 20, 11));
    size_t secondStart = gif.size();
    ImageSpec second = Sprite(50, 40, 12);
    second.blockSize = 60;
    PutImage(&gif, second);
    gif.push_back(0x3B);

    // Cut in the middle of the second image's sub-blocks: it is the last frame, partly filled.
    Bytes cut(gif.begin(), gif.begin() + long(secondStart + (gif.size() - secondStart) / 2));
    ASSERT_EQ(LoadBytes(cut), 1);
    std::vector<FrameNode*> frames = LoadedFrames();
    ASSERT_EQ(frames.size(), 2u);
    std::vector<int> got = RowMajor(frames[1]->image);
    size_t decoded = 0;
    while (decoded < got.size() && got[decoded] == second.pixels[decoded])
        ++decoded;
    EXPECT_GT(decoded, 0u);
    EXPECT_LT(decoded, got.size());
    ReleaseFrameList();

    // Every cut: no read past the end, and a longer file never yields fewer frames.
    size_t previousCount = 0;
    for (size_t length = 0; length <= gif.size(); ++length) {
        Bytes part(gif.begin(), gif.begin() + long(length));
        LoadBytes(part);
        size_t count = LoadedFrames().size();
        EXPECT_GE(count, previousCount) << "cut at " << length;
        previousCount = count;
        ReleaseFrameList();
    }
    EXPECT_EQ(previousCount, 2u);
}

TEST_F(GifParser, LoadBudgetEndsTheListLikeAnAllocationFailure) {
    Bytes gif;
    PutHeader(&gif, 8, 8, true);
    PutImage(&gif, Sprite(8, 8, 13));
    Bytes emptyData = {2, 0};
    PutRawImage(&gif, 4097, 4096, false, emptyData);  // over the per-image limit
    PutImage(&gif, Sprite(8, 8, 14));
    gif.push_back(0x3B);
    ASSERT_EQ(LoadBytes(gif), 1);
    EXPECT_EQ(LoadedFrames().size(), 1u);
    ReleaseFrameList();

    // Sixteen 4096 x 4096 frames are 256 MiB of raster alone: the last one passes the total.
    Bytes large;
    PutHeader(&large, 4096, 4096, true);
    for (int i = 0; i < 20; ++i)
        PutRawImage(&large, 4096, 4096, false, emptyData);
    ASSERT_EQ(LoadBytes(large), 1);
    EXPECT_EQ(LoadedFrames().size(), 15u);
}

TEST_F(GifParser, LoaderMapsFilesAndReleaseTwiceDoesNothing) {
    Bytes gif;
    PutHeader(&gif, 6, 6, true);
    ImageSpec image = Sprite(6, 6, 15);
    PutImage(&gif, image);
    gif.push_back(0x3B);
    std::string path = TempPath("reelbox_loader_test.gif");
    WriteFile(path, gif);
    Loaded = GifLoader(LoaderPath(path).c_str());
    ASSERT_NE(Loaded.FrameListHead, nullptr);
    EXPECT_EQ(RowMajor(Loaded.FrameListHead->image), image.pixels);
    ReleaseFrameList();
    EXPECT_EQ(Loaded.FrameListHead, nullptr);
    ReleaseFrameList();
    EXPECT_EQ(Loaded.FrameListHead, nullptr);

    std::string empty = TempPath("reelbox_loader_empty.gif");
    WriteFile(empty, Bytes());
    for (const std::string& unreadable : {empty, TempPath("reelbox_loader_missing.gif")}) {
        LoadedGif none = GifLoader(LoaderPath(unreadable).c_str());
        EXPECT_EQ(none.FrameListHead, nullptr) << unreadable;
        EXPECT_EQ(none.ScreenDescriptor.screenWidth, 0) << unreadable;
    }
    std::remove(path.c_str());
    std::remove(empty.c_str());
}
