// Building shows through the packer's C surface: picture and colour-card metafiles down to
// their pixels, sound from samples, the package assembly, and the checks before sending.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "package/package_layout.h"
#include "gif_writer.h"
#include "pack/message_metafile.h"
#include "pack/pack_api.h"
#include "pack/wave_writer.h"
#include "sample_player.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A metafile built here played onto a canvas of its bounds: every DIB record drawn into
// its destination (nearest pixel), as 0xRRGGBB pixels, top-down.
struct DibPicture {
    int side = 0;
    int records = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * side + x]; }
};

DibPicture PlayDibs(const std::vector<uint8_t>& emf) {
    DibPicture canvas;
    std::string why;
    EXPECT_TRUE(CheckEnhancedMetafile(emf.data(), emf.size(), &why)) << why;
    EXPECT_EQ(emf.size(), Le32(&emf[48]));                     // nBytes
    canvas.side = int(Le32(&emf[16])) + 1;                     // header bounds
    EXPECT_EQ(uint32_t(canvas.side - 1), Le32(&emf[20]));
    canvas.pixels.assign(size_t(canvas.side) * canvas.side, 0xDEAD);
    for (size_t at = Le32(&emf[4]); at < emf.size(); at += Le32(&emf[at + 4])) {
        if (Le32(&emf[at]) != 81)                              // EMR_STRETCHDIBITS
            continue;
        ++canvas.records;
        const uint8_t* record = &emf[at];
        const uint8_t* info = record + Le32(record + 48);
        const uint8_t* bits = record + Le32(record + 56);
        const int left = int(Le32(record + 24)), top = int(Le32(record + 28));
        const int width = int(Le32(record + 72)), height = int(Le32(record + 76));
        const int dibWidth = int(Le32(info + 4)), dibHeight = int(Le32(info + 8));
        EXPECT_EQ(24, info[14]);
        const size_t rowBytes = (size_t(dibWidth) * 3 + 3) & ~size_t(3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int sx = x * dibWidth / width, sy = dibHeight - 1 - y * dibHeight / height;
                const uint8_t* p = bits + size_t(sy) * rowBytes + size_t(sx) * 3;
                canvas.pixels[size_t(top + y) * canvas.side + size_t(left + x)] =
                    uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
            }
    }
    return canvas;
}

std::vector<uint8_t> Rgba(int width, int height, uint32_t (*colourAt)(int x, int y, int w)) {
    std::vector<uint8_t> rgba;
    rgba.reserve(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t c = colourAt(x, y, width);
            for (int shift : {16, 8, 0, 24})
                rgba.push_back(uint8_t(c >> shift));
        }
    return rgba;
}

TEST(MessageMetafile, PictureIsFittedCentredAndScaledDown) {
    // 3000 x 1500: red left half, blue right half, a transparent 100 x 100 corner.
    auto colour = [](int x, int y, int w) -> uint32_t {
        if (x < 100 && y < 100)
            return 0x00000000;
        return x < w / 2 ? 0xFFFF0000 : 0xFF0000FF;
    };
    std::vector<uint8_t> large = Rgba(3000, 1500, colour);
    const std::vector<uint8_t> emf = BuildPictureMetafile(large.data(), 3000, 1500, 0x00FF00);
    EXPECT_GT(1080u * 560 * 3, emf.size());        // the margins are not stored as pixels
    DibPicture fitted = PlayDibs(emf);
    ASSERT_EQ(REELBOX_PACK_MESSAGE_SIDE, fitted.side);
    EXPECT_EQ(2, fitted.records);                  // the background, then the picture
    // 1500 rows become 540, centred: rows 270..809.
    EXPECT_EQ(0x00FF00u, fitted.At(500, 269));
    EXPECT_EQ(0xFF0000u, fitted.At(100, 270));
    EXPECT_EQ(0x0000FFu, fitted.At(1000, 809));
    EXPECT_EQ(0x00FF00u, fitted.At(1000, 810));
    EXPECT_EQ(0x00FF00u, fitted.At(10, 280));      // the transparent corner shows the background
    EXPECT_EQ(0xFF0000u, fitted.At(539, 500));     // the halves meet on a pixel border
    EXPECT_EQ(0x0000FFu, fitted.At(540, 500));

    // A small tall picture is stored as it is, centred across.
    auto stripes = [](int x, int y, int) -> uint32_t { return 0xFF000000 | uint32_t(x * 40) << 16 | uint32_t(y * 12); };
    std::vector<uint8_t> small = Rgba(5, 20, stripes);
    DibPicture kept = PlayDibs(BuildPictureMetafile(small.data(), 5, 20, 0xFFFFFF));
    ASSERT_EQ(20, kept.side);
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(0xFFFFFFu, kept.At(6, y));
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(stripes(x, y, 5) & 0xFFFFFF, kept.At(7 + x, y)) << x << "," << y;
        EXPECT_EQ(0xFFFFFFu, kept.At(12, y));
    }
}

TEST(MessageMetafile, DrawnForBrowsersAsThePlayerPlaysItOrRefused) {
    auto colour = [](int x, int y, int) -> uint32_t { return 0xFF000040 | uint32_t(x * 7) << 16 | uint32_t(y * 5) << 8; };
    const std::vector<uint8_t> rgba = Rgba(30, 12, colour);
    for (const std::vector<uint8_t>& emf : {BuildPictureMetafile(rgba.data(), 30, 12, 0x102030),
                                            BuildColourCardMetafile(0xFFE680)}) {
        const DibPicture played = PlayDibs(emf);
        int width = 0, height = 0;
        std::vector<uint8_t> drawn;
        std::string why;
        ASSERT_TRUE(DrawMessageMetafile(emf.data(), emf.size(), &width, &height, &drawn, &why)) << why;
        ASSERT_EQ(played.side, width);
        ASSERT_EQ(played.side, height);
        for (size_t i = 0; i < played.pixels.size(); ++i)
            ASSERT_EQ(played.pixels[i], uint32_t(drawn[4 * i]) << 16 | drawn[4 * i + 1] << 8 | drawn[4 * i + 2]) << i;
    }
    // Drawing other than stretched DIBs is left to Windows: a line before the end record.
    std::vector<uint8_t> card = BuildColourCardMetafile(0xFFE680);
    const uint8_t line[] = {54, 0, 0, 0, 16, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};   // EMR_LINETO
    card.insert(card.end() - 20, line, line + sizeof line);
    const uint32_t total = uint32_t(card.size());
    std::memcpy(&card[48], &total, 4);
    int width = 0, height = 0;
    std::vector<uint8_t> drawn;
    std::string why;
    EXPECT_FALSE(DrawMessageMetafile(card.data(), card.size(), &width, &height, &drawn, &why));
    EXPECT_NE(std::string::npos, why.find("record 54")) << why;
}

struct Packer {
    ReelboxPacker* p = ReelboxPackCreate();
    ~Packer() { ReelboxPackFree(p); }
    std::string Report() const { return ReelboxPackReport(p); }
    std::vector<uint8_t> Output() const {
        size_t size = 0;
        const unsigned char* bytes = ReelboxPackOutput(p, &size);
        return std::vector<uint8_t>(bytes, bytes + size);
    }
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(PackBuild, ShowCarriesEveryPartAndChecksReportWhatThePlayerWillDo) {
    const std::vector<uint8_t> player = SamplePlayer(5000);
    const Bytes gif = Animation(1600, 900, {0, 50, 100});
    Packer packer;
    ASSERT_EQ(1, ReelboxPackSetPlayer(packer.p, player.data(), player.size(), 0));
    ASSERT_EQ(1, ReelboxPackSetAnimation(packer.p, gif.data(), gif.size()));
    ASSERT_EQ(1, ReelboxPackSetCaption(packer.p, "Joyeux anniversaire, Zo\xC3\xA9 !", -1));
    ASSERT_EQ(1, ReelboxPackSetFont(packer.p, "Tahoma", -30, 1, 0));
    ASSERT_EQ(1, ReelboxPackBuild(packer.p)) << ReelboxPackError(packer.p);
    const std::string report = packer.Report();
    EXPECT_TRUE(Has(report, "  animation: 1600 x 900, 3 frames, 1.50 s per pass")) << report;
    EXPECT_TRUE(Has(report, "warning: animation: 1600 x 900 is larger than")) << report;
    EXPECT_TRUE(Has(report, "warning: animation: 1 frame has a delay of 0")) << report;
    EXPECT_TRUE(Has(report, "warning: caption without a message")) << report;
    EXPECT_FALSE(Has(report, "error")) << report;

    // With a colour card and a sound from samples the caption warning goes, and the package
    // holds each part where the player looks for it.
    ASSERT_EQ(1, ReelboxPackSetMessageColour(packer.p, 0x336699));
    std::vector<float> samples(4410, 0.25f);
    ASSERT_EQ(1, ReelboxPackSetSoundSamples(packer.p, samples.data(), samples.size(), 1, 44100, 0, 1));
    ASSERT_EQ(1, ReelboxPackBuild(packer.p)) << ReelboxPackError(packer.p);
    EXPECT_FALSE(Has(packer.Report(), "caption without")) << packer.Report();
    std::vector<uint8_t> show = packer.Output();
    PackageTrailerRecord trailer;
    DecodeTrailer(show.data() + show.size() - kTrailerSize, &trailer);
    PackagePayloads payloads;
    ASSERT_EQ(kPackageAccepted, LocatePayloads(show.size(), trailer, &payloads));
    // Zero bytes after the player, counted in the trailer, make the show ready to sign.
    EXPECT_EQ(0u, show.size() % 8);
    EXPECT_EQ(player.size() + trailer.reserved, payloads.animation.offset);
    EXPECT_EQ(std::vector<uint8_t>(trailer.reserved, 0),
              std::vector<uint8_t>(show.begin() + long(player.size()), show.begin() + long(payloads.animation.offset)));
    EXPECT_EQ(0, std::memcmp(show.data() + payloads.animation.offset, gif.data(), gif.size()));
    EXPECT_EQ("Joyeux anniversaire, Zo\xE9 !",
              std::string(reinterpret_cast<const char*>(show.data() + payloads.captionOffset),
                          payloads.captionCopyLength));
    FontRecord font;
    DecodeFontRecord(trailer.captionFont, &font);
    EXPECT_EQ(0, font.charSet);
    EXPECT_EQ(700, font.weight);
    EXPECT_STREQ("Tahoma", font.faceName);
    std::vector<uint8_t> card(show.begin() + long(payloads.message.offset),
                              show.begin() + long(payloads.message.offset + payloads.message.size));
    DibPicture cardPicture = PlayDibs(card);
    EXPECT_EQ(0x336699u, cardPicture.At(cardPicture.side - 1, 0));
    EXPECT_EQ(uint32_t(kSoundTypeWave), trailer.sound.type);
    EXPECT_EQ(44u + 2 * 2205, payloads.sound.size);

    // The finished show loaded as a player is refused unless its package is replaced.
    Packer again;
    EXPECT_EQ(0, ReelboxPackSetPlayer(again.p, show.data(), show.size(), 0));
    ASSERT_EQ(1, ReelboxPackSetPlayer(again.p, show.data(), show.size(), 1));
    ASSERT_EQ(1, ReelboxPackSetAnimation(again.p, gif.data(), gif.size()));
    ASSERT_EQ(1, ReelboxPackBuild(again.p));
    const size_t unpadded = player.size() + gif.size() + kTrailerSize;
    EXPECT_EQ((unpadded + 7) / 8 * 8, again.Output().size());

    // A sound that is no longer a WAV is an error: the show does not play as made.
    std::memcpy(show.data() + payloads.sound.offset + 8, "AVI ", 4);
    EXPECT_EQ(0, ReelboxPackCheck(packer.p, show.data(), show.size()));
    EXPECT_TRUE(Has(packer.Report(), "error: sound: stored as WAV but not a RIFF/WAVE")) << packer.Report();
}

TEST(PackBuild, ChecksFindCutFramesLargeShowsAndBarePlayers) {
    // The second image is beyond the decoder's 4096 x 4096 budget: the player plays one frame.
    Bytes gif = Animation(64, 64, {10});
    gif.pop_back();
    PutRawImage(&gif, 4097, 4097, false, Bytes{2, 1, 0x44, 0});
    gif.push_back(0x3B);
    const std::vector<uint8_t> player = SamplePlayer(REELBOX_PACK_SIZE_WARNING);
    Packer packer;
    ASSERT_EQ(1, ReelboxPackSetPlayer(packer.p, player.data(), player.size(), 0));
    ASSERT_EQ(1, ReelboxPackSetAnimation(packer.p, gif.data(), gif.size()));
    ASSERT_EQ(1, ReelboxPackBuild(packer.p)) << ReelboxPackError(packer.p);
    const std::string report = packer.Report();
    EXPECT_TRUE(Has(report, "warning: animation: the player loads only 1 of its 2 frames")) << report;
    EXPECT_TRUE(Has(report, "warning: the show is 10.0 MB")) << report;

    // A file without a package, and a damaged animation, are errors.
    EXPECT_EQ(0, ReelboxPackCheck(packer.p, player.data(), player.size()));
    EXPECT_EQ("error: no Reelbox package: the file does not end with a trailer\n", packer.Report());
    const Bytes broken = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
    ASSERT_EQ(1, ReelboxPackSetAnimation(packer.p, broken.data(), broken.size()));
    EXPECT_EQ(0, ReelboxPackBuild(packer.p));
    EXPECT_TRUE(Has(ReelboxPackError(packer.p), "loads no frame")) << ReelboxPackError(packer.p);
    size_t size = 1;
    EXPECT_EQ(nullptr, ReelboxPackOutput(packer.p, &size));
    EXPECT_EQ(0u, size);

    // Pictures beyond the decoding budget are refused before any pixel is read.
    EXPECT_EQ(0, ReelboxPackSetMessagePicture(packer.p, nullptr, 8000, 7000, 0xFFFFFF));
    EXPECT_TRUE(Has(ReelboxPackError(packer.p), "50 megapixels")) << ReelboxPackError(packer.p);
}

TEST(WaveWriter, LowersRateAndMixesToMonoKeepingPitchAndLevel) {
    // One second of a 440 Hz tone at 44100 Hz stereo (left and right in phase, 0.5 and 0.3).
    std::vector<float> samples;
    for (int i = 0; i < 44100; ++i) {
        const float s = float(std::sin(2 * 3.14159265358979 * 440 * i / 44100.0));
        samples.push_back(0.5f * s);
        samples.push_back(0.3f * s);
    }
    std::vector<uint8_t> wave = BuildWave(samples.data(), 44100, 2, 44100, kDefaultSoundRate, 1);
    ASSERT_EQ(44u + 44100, wave.size());
    EXPECT_EQ(0, std::memcmp(wave.data(), "RIFF", 4));
    EXPECT_EQ(wave.size() - 8, Le32(&wave[4]));
    EXPECT_EQ(0, std::memcmp(wave.data() + 8, "WAVEfmt ", 8));
    EXPECT_EQ(1u | 1u << 16, Le32(&wave[20]));                 // PCM, mono
    EXPECT_EQ(22050u, Le32(&wave[24]));
    EXPECT_EQ(44100u, Le32(&wave[28]));                        // bytes a second
    EXPECT_EQ(2u | 16u << 16, Le32(&wave[32]));                // block 2, 16 bits
    EXPECT_EQ(44100u, Le32(&wave[40]));
    int crossings = 0, peak = 0, previous = 0;
    for (size_t i = 44; i < wave.size(); i += 2) {
        const int value = int16_t(wave[i] | wave[i + 1] << 8);
        if ((value >= 0) != (previous >= 0))
            ++crossings;
        peak = std::max(peak, std::abs(value));
        previous = value;
    }
    EXPECT_NEAR(880, crossings, 4);
    EXPECT_NEAR(0.4 * 32767, peak, 0.02 * 32767);
}

// The tables the page builds its cell grid and charset list from: every grid position holds
// one of the nine cells, in the reading order the page lays them out, random stands apart,
// and names and numbers lead to each other; the core refuses font heights tackon refuses.
TEST(PackChoices, CellsCharsetsAndFontLimitsComeFromOneTable) {
    std::vector<int> readingOrder;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            readingOrder.push_back(ReelboxPackCellAt(row, column));
    EXPECT_EQ(std::vector<int>({1, 4, 6, 2, 0, 7, 3, 5, 8}), readingOrder);
    EXPECT_EQ(-1, ReelboxPackCellAt(3, 0));
    ASSERT_EQ(10, ReelboxPackCellCount());
    for (int cell = 0; cell < ReelboxPackCellCount(); ++cell)
        EXPECT_EQ(cell, ReelboxPackCellFromName(ReelboxPackCellName(cell)));
    EXPECT_STREQ("random", ReelboxPackCellName(REELBOX_PACK_RANDOM_CELL));
    EXPECT_STREQ("", ReelboxPackCellName(10));

    ASSERT_EQ(14, ReelboxPackCharsetCount());
    EXPECT_EQ(0, ReelboxPackCharsetAt(0));
    for (int i = 0; i < ReelboxPackCharsetCount(); ++i)
        EXPECT_STRNE("unknown", ReelboxPackCharsetName(ReelboxPackCharsetAt(i))) << i;

    Packer packer;
    EXPECT_EQ(1, ReelboxPackSetFont(packer.p, "Arial", -REELBOX_PACK_FONT_HEIGHT_LIMIT, 0, 0));
    EXPECT_EQ(0, ReelboxPackSetFont(packer.p, "Arial", REELBOX_PACK_FONT_HEIGHT_LIMIT + 1, 0, 0));
    EXPECT_EQ(0, ReelboxPackSetFont(packer.p, "Arial", 0, 0, 0));
    EXPECT_EQ(0, ReelboxPackSetPlacement(packer.p, 0, 10));
}

}  // namespace
