// tackon with everyday inputs: captions in other scripts through --info and --extract, the
// message options, --check, and the native bitmap reader.
#include <gtest/gtest.h>

#include <cstdlib>

#ifndef _WIN32
#include "bmp_reader.h"
#endif
#include "picture_decoding.h"
#include "sample_files.h"
#include "sample_player.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TackonEveryday : public ::testing::Test {
protected:
    ScratchFolder folder;
    void SetUp() override {
        WriteBytes(folder / "player.exe", SamplePlayer(2000));
        WriteBytes(folder / "a.gif", SampleGif(0, 0));
    }
    std::vector<std::string> Base(const std::string& output, std::vector<std::string> more) {
        std::vector<std::string> args = {"--player", folder / "player.exe", "--animation", folder / "a.gif",
                                         "-o", folder / output};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
};

TEST_F(TackonEveryday, CaptionsComeBackInUtf8WithTheirCharset) {
    const std::string russian = "\xD0\xA1 \xD0\xB4\xD0\xBD\xD1\x91\xD0\xBC \xD1\x80\xD0\xBE\xD0\xB6\xD0\xB4\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x8F!";
    ASSERT_EQ(0, Tackon(Base("ru.exe", {"--message-colour", "#FFE0F0", "--caption", russian})).status);
    const ToolRun info = Tackon({"--info", folder / "ru.exe"});
    EXPECT_TRUE(Has(info.out, "caption: \"" + russian + "\" (charset 204, Cyrillic (1251))")) << info.out;
    EXPECT_TRUE(Has(info.out, "captionLength: 16\n")) << info.out;
    ASSERT_EQ(0, Tackon({"--extract", folder / "ru.exe", folder / "out"}).status);
    const Bytes extracted = ReadBytes(folder.path / "out" / "caption.txt");
    EXPECT_EQ(russian, std::string(extracted.begin(), extracted.end()));

    // A named charset wins; a caption file may start with a byte-order mark.
    const std::string polish = "Sto lat, \xC5\x81ucjo!";
    WriteBytes(folder / "pl.txt", Bytes(polish.begin(), polish.end()));
    Bytes withMark = {0xEF, 0xBB, 0xBF};
    withMark.insert(withMark.end(), polish.begin(), polish.end());
    WriteBytes(folder / "pl-mark.txt", withMark);
    ASSERT_EQ(0, Tackon(Base("pl.exe", {"--message-colour", "#FFFFFF", "--caption-file", folder / "pl-mark.txt",
                                        "--charset", "easteurope"})).status);
    EXPECT_TRUE(Has(Tackon({"--info", folder / "pl.exe"}).out, "\" (charset 238, Central European (1250))"));
    const ToolRun notInCyrillic = Tackon(Base("x.exe", {"--caption-file", folder / "pl.txt", "--charset", "1251"}));
    EXPECT_EQ(1, notInCyrillic.status);
    EXPECT_TRUE(Has(notInCyrillic.err, "U+0141")) << notInCyrillic.err;

    // Shows from before charsets were stored keep DEFAULT_CHARSET and read as 1252.
    ASSERT_EQ(0, Tackon(Base("old.exe", {"--message-colour", "#FFFFFF", "--caption", "Zo\xC3\xA9"})).status);
    Bytes old = ReadBytes(folder / "old.exe");
    old[old.size() - 152 + 16 + 23] = 1;
    WriteBytes(folder / "old.exe", old);
    EXPECT_TRUE(Has(Tackon({"--info", folder / "old.exe"}).out,
                    "caption: \"Zo\xC3\xA9\" (charset 1, read as Western (1252))"));
}

TEST_F(TackonEveryday, CheckReportsAndPackingWarns) {
    const ToolRun packed = Tackon(Base("show.exe", {"--caption", "Hi"}));
    ASSERT_EQ(0, packed.status) << packed.err;
    EXPECT_TRUE(Has(packed.out, "warning: caption without a message")) << packed.out;
    const ToolRun check = Tackon({"--check", folder / "show.exe"});
    EXPECT_EQ(0, check.status);
    EXPECT_TRUE(Has(check.out, "  animation: 1 x 1, 1 frame, 0.00 s per pass\n")) << check.out;
    EXPECT_TRUE(Has(check.out, "verdict: the player plays this show\n")) << check.out;
    const ToolRun bare = Tackon({"--check", folder / "player.exe"});
    EXPECT_EQ(1, bare.status);
    EXPECT_TRUE(Has(bare.out, "error: no Reelbox package")) << bare.out;

    EXPECT_TRUE(Has(Tackon(Base("s.exe", {"--message-colour", "#FFFFFF", "--message", folder / "m.emf"})).err,
                    "give one of --message, --message-image and --message-colour"));
    EXPECT_TRUE(Has(Tackon(Base("s.exe", {"--message-background", "#000000"})).err, "needs --message-image"));
    WriteBytes(folder / "note.txt", Bytes{'h', 'i'});
    EXPECT_TRUE(Has(Tackon(Base("s.exe", {"--message-image", folder / "note.txt"})).err,
                    "PNG, JPEG, GIF"));
}

#ifndef _WIN32   // tackon.exe reads bitmaps through Windows
void PutLe(Bytes* b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b->push_back(uint8_t(v >> (8 * i)));
}

// A bitmap file: file header, BITMAPINFOHEADER, palette, rows as given.
Bytes Bitmap(int width, int height, int bits, const Bytes& palette, const Bytes& rows) {
    Bytes b = {'B', 'M'};
    PutLe(&b, uint32_t(54 + palette.size() + rows.size()), 4);
    PutLe(&b, 0, 4);
    PutLe(&b, uint32_t(54 + palette.size()), 4);
    for (uint32_t v : {40u, uint32_t(width), uint32_t(height)})
        PutLe(&b, v, 4);
    PutLe(&b, 1, 2);
    PutLe(&b, uint32_t(bits), 2);
    for (uint32_t v : {0u, uint32_t(rows.size()), 2835u, 2835u, uint32_t(palette.size() / 4), 0u})
        PutLe(&b, v, 4);
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

TEST(BmpReader, ReadsBottomUpTopDownAndPalettedBitmaps) {
    // 2 x 2, 24 bits, bottom-up: the last row in the file is the top row.
    const Bytes bgr = {0, 0, 255, 0, 255, 0, 0, 0,  255, 0, 0, 255, 255, 255, 0, 0};
    DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(DecodeBmp(Bitmap(2, 2, 24, {}, bgr), &picture, &error)) << error;
    EXPECT_EQ(Bytes({0, 0, 255, 255, 255, 255, 255, 255, 255, 0, 0, 255, 0, 255, 0, 255}), picture.rgba);
    // 3 x 2, 4 bits, top-down (negative height), palette of two colours.
    const Bytes palette = {10, 20, 30, 0, 200, 100, 50, 0};
    ASSERT_TRUE(DecodeBmp(Bitmap(3, -2, 4, palette, {0x01, 0x00, 0, 0, 0x10, 0x10, 0, 0}), &picture, &error)) << error;
    EXPECT_EQ(Bytes({30, 20, 10, 255, 50, 100, 200, 255, 30, 20, 10, 255,
                     50, 100, 200, 255, 30, 20, 10, 255, 50, 100, 200, 255}), picture.rgba);
    // Refusals: an index beyond the palette, a cut file, run-length compression, the budget.
    EXPECT_FALSE(DecodeBmp(Bitmap(1, 1, 4, palette, {0x50, 0, 0, 0}), &picture, &error));
    EXPECT_TRUE(Has(error, "palette lacks")) << error;
    EXPECT_FALSE(DecodeBmp(Bitmap(4, 4, 24, {}, bgr), &picture, &error));
    EXPECT_TRUE(Has(error, "shorter")) << error;
    Bytes compressed = Bitmap(2, 2, 8, palette, Bytes(8, 0));
    compressed[30] = 1;   // BI_RLE8
    EXPECT_FALSE(DecodeBmp(compressed, &picture, &error));
    EXPECT_TRUE(Has(error, "compressed")) << error;
    EXPECT_FALSE(DecodeBmp(Bitmap(10000, 6000, 24, {}, {}), &picture, &error));
    EXPECT_TRUE(Has(error, "50 megapixels")) << error;
}

// A photo taken on its side: the pixels lie as the sensor saw them, red left and blue
// right, and an Exif block (put in after the start marker, as cameras write it) says to
// turn them a quarter clockwise; decoded, red is on top.
TEST(PictureDecoding, JpegFromACameraOnItsSideComesOutUpright) {
    ScratchFolder folder;
    const std::string jpeg = folder / "side.jpg";
    const std::string command = "convert -size 32x16 xc:red \\( -size 32x16 xc:blue \\) +append "
                                "-quality 95 '" + jpeg + "'";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    Bytes bytes = ReadBytes(jpeg);
    const Bytes exif = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                        1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.begin() + 2, exif.begin(), exif.end());
    DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(DecodePicture(bytes, &picture, &error)) << error;
    ASSERT_EQ(16, picture.width);
    ASSERT_EQ(64, picture.height);
    auto at = [&](int x, int y) { return &picture.rgba[(size_t(y) * 16 + x) * 4]; };
    EXPECT_GT(at(8, 10)[0], 200);
    EXPECT_LT(at(8, 10)[2], 60);
    EXPECT_LT(at(8, 54)[0], 60);
    EXPECT_GT(at(8, 54)[2], 200);
}
#endif

}  // namespace
