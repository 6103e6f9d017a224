// Picture captions in the packing core: the style a caption gets, the captioned message read
// back as drawn (palette layers outside the picture, the picture's own pixels inside), and
// the warnings about text captions: East Asian fonts and colours that do not stand out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sample_player.h"
#include "gif_writer.h"
#include "pack/pack_api.h"

namespace {

struct Packer {
    ReelboxPacker* p = ReelboxPackCreate();
    Packer() {
        const std::vector<uint8_t> player = SamplePlayer(3000);
        Bytes gif;
        PutHeader(&gif, 4, 4, true, 1);
        PutGraphicControl(&gif, 0, 10, -1);
        ImageSpec image;
        image.width = image.height = 4;
        image.minimumCodeSize = 2;
        image.pixels.assign(16, 1);
        PutImage(&gif, image);
        gif.push_back(0x3B);
        EXPECT_EQ(1, ReelboxPackSetPlayer(p, player.data(), player.size(), 0));
        EXPECT_EQ(1, ReelboxPackSetAnimation(p, gif.data(), gif.size()));
    }
    ~Packer() { ReelboxPackFree(p); }
    std::vector<uint8_t> Build() {
        EXPECT_EQ(1, ReelboxPackBuild(p)) << ReelboxPackError(p);
        size_t size = 0;
        const unsigned char* bytes = ReelboxPackOutput(p, &size);
        return std::vector<uint8_t>(bytes, bytes + size);
    }
    std::string Report() const { return ReelboxPackReport(p); }
};

// The canvas with a caption-like drawing on it: glyph strokes blending the caption colour
// into what lies under them in 16 steps, and an emoji-like patch of 2,500 colours, between
// rows top and top + 60 and columns 20 to 20 + width.
std::vector<uint8_t> DrawCaptionLike(const unsigned char* canvas, int side, int top, int width) {
    std::vector<uint8_t> drawn(canvas, canvas + size_t(side) * side * 4);
    for (int y = top; y < top + 60; ++y)
        for (int x = 20; x < 20 + width; ++x) {
            uint8_t* p = &drawn[(size_t(y) * side + x) * 4];
            if (x < 70) {
                p[0] = uint8_t(4 * (x - 20));
                p[1] = uint8_t(4 * (y - top));
                p[2] = uint8_t(200 - 2 * (x - 20));
            } else if ((x / 7 + y / 9) % 3 == 0) {
                const int weight = (x * 5 + y * 3) % 16;
                for (int c = 0; c < 3; ++c)
                    p[c] = uint8_t((p[c] * (15 - weight) + 0x20 * weight) / 15);
            }
        }
    return drawn;
}

// Mean and largest channel difference between the drawn square and the stored picture.
void Difference(const std::vector<uint8_t>& drawn, const unsigned char* stored, double* mean, int* largest) {
    double sum = 0;
    *largest = 0;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const int d = std::abs(int(drawn[i]) - int(stored[i]));
        sum += d;
        *largest = std::max(*largest, d);
    }
    *mean = sum / (drawn.size() * 3 / 4);
}

TEST(CaptionPicture, CardAndPictureCaptionsReadBackAsDrawn) {
    for (bool picture : {false, true}) {
        SCOPED_TRACE(picture ? "picture message" : "colour card");
        Packer packer;
        // A 600 x 300 picture on a blue square: the caption runs from the top margin into it.
        std::vector<uint8_t> rgba;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 600; ++x)
                rgba.insert(rgba.end(), {uint8_t(x / 3), uint8_t(y), uint8_t(90), 255});
        ASSERT_EQ(1, picture ? ReelboxPackSetMessagePicture(packer.p, rgba.data(), 600, 300, 0x0000C0)
                             : ReelboxPackSetMessageColour(packer.p, 0xFFE680));
        int side = 0;
        const unsigned char* canvas = ReelboxPackCaptionCanvas(packer.p, &side);
        ASSERT_NE(nullptr, canvas);
        ASSERT_EQ(picture ? 600 : REELBOX_PACK_CAPTION_CARD_SIDE, side);
        const std::vector<uint8_t> drawn = DrawCaptionLike(canvas, side, 120, 500);
        ASSERT_EQ(1, ReelboxPackSetCaptionPicture(packer.p, drawn.data(), side));
        const std::vector<uint8_t> show = packer.Build();
        int storedSide = 0;
        const unsigned char* stored = ReelboxPackMessagePixels(packer.p, show.data(), show.size(), &storedSide);
        ASSERT_NE(nullptr, stored);
        ASSERT_EQ(side, storedSide);
        double mean = 0;
        int largest = 0;
        Difference(drawn, stored, &mean, &largest);
        // More than 256 colours outside the picture go through a median cut; inside it the
        // picture's own pixels are exact.
        EXPECT_LT(mean, 0.05);
        EXPECT_LT(largest, 24);
        for (int y = 150; picture && y < 180; ++y)
            for (int x = 20; x < 520; ++x)
                ASSERT_EQ(0, std::memcmp(&drawn[(size_t(y) * side + x) * 4], stored + (size_t(y) * side + x) * 4, 3))
                    << x << "," << y;
    }

    // A metafile given as it is takes no picture caption, and the refusal says why.
    Packer packer;
    std::vector<uint8_t> emf(108, 0);
    const uint32_t fields[][2] = {{0, 1}, {4, 88}, {40, 0x464D4520}, {48, 108}, {88, 14}, {92, 20}};
    for (const auto& field : fields)
        std::memcpy(&emf[field[0]], &field[1], 4);
    ASSERT_EQ(1, ReelboxPackSetMessageMetafile(packer.p, emf.data(), emf.size())) << ReelboxPackError(packer.p);
    int side = 0;
    EXPECT_EQ(nullptr, ReelboxPackCaptionCanvas(packer.p, &side));
    EXPECT_NE(nullptr, std::strstr(ReelboxPackError(packer.p), "cannot be drawn into a metafile given as it is"))
        << ReelboxPackError(packer.p);
}

TEST(CaptionPicture, StyleFollowsTheTextAndTextCaptionsAreChecked) {
    const struct {
        const char* text;
        int cell;
        int style;
        const char* why;
    } kCases[] = {
        {"Joyeux anniversaire, Zo\xC3\xA9 !", 1, REELBOX_PACK_CAPTION_TEXT, "Western (1252)"},
        {"\xD0\xA1 \xD0\xB4\xD0\xBD\xD1\x91\xD0\xBC!", 1, REELBOX_PACK_CAPTION_TEXT, "Cyrillic (1251)"},
        {"Happy birthday Zo\xC3\xA9 \xF0\x9F\x8E\x82", 1, REELBOX_PACK_CAPTION_PICTURE, "no Windows code page"},
        {"Zo\xC3\xA9, \xD0\xA1 \xD0\xB4\xD0\xBD\xD1\x91\xD0\xBC!", 1, REELBOX_PACK_CAPTION_PICTURE, "no Windows code page"},
        {"\xE2\x99\xA5", 1, REELBOX_PACK_CAPTION_PICTURE, "U+2665"},
        {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D!", 1, REELBOX_PACK_CAPTION_PICTURE, "right to left"},
        {"Hello", 5, REELBOX_PACK_CAPTION_PICTURE, "away from the top left"},
    };
    Packer packer;
    for (const auto& c : kCases) {
        EXPECT_EQ(c.style, ReelboxPackDefaultCaptionStyle(packer.p, c.text, -1, c.cell)) << c.text;
        EXPECT_NE(nullptr, std::strstr(ReelboxPackCaptionStyleReason(packer.p), c.why))
            << c.text << ": " << ReelboxPackCaptionStyleReason(packer.p);
    }
    EXPECT_EQ(1, ReelboxPackCaptionRightToLeft("!\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc"));
    EXPECT_EQ(0, ReelboxPackCaptionRightToLeft("123 abc \xD7\xA9"));

    // A Japanese text caption needs a font of its script; white on a white card does not
    // stand out, black does.
    ASSERT_EQ(1, ReelboxPackSetMessageColour(packer.p, 0xFFFFFF));
    ASSERT_EQ(1, ReelboxPackSetCaption(packer.p, "\xE3\x81\x8A\xE3\x82\x81\xE3\x81\xA7\xE3\x81\xA8\xE3\x81\x86", -1));
    ASSERT_EQ(1, ReelboxPackSetCaptionColour(packer.p, 0xFFFFFF));
    packer.Build();
    EXPECT_NE(std::string::npos, packer.Report().find("warning: caption: drawn by the player in a Japanese font"))
        << packer.Report();
    EXPECT_NE(std::string::npos, packer.Report().find("warning: caption: its colour #FFFFFF stands out little "
                                                      "from what lies under it (#FFFFFF on average, a contrast of 1.0:1"))
        << packer.Report();
    ASSERT_EQ(1, ReelboxPackSetCaptionColour(packer.p, 0x000000));
    packer.Build();
    EXPECT_EQ(std::string::npos, packer.Report().find("stands out little")) << packer.Report();
}

}  // namespace
