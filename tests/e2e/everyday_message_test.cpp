// Shows made from everyday files, seen through the player under Wine: a message made from a
// photo-like PNG (packed by tackon) and from a JPEG taken on its side (packed by tackon.exe,
// which decodes it through Windows) shows the picture upright and scaled into the zoomed
// message square; captions in
// French, Russian and Polish on a colour card draw exactly the pixels that DrawTextW draws
// for the same text in the same font (caption_reference.exe), on the card's colour. Picture
// captions drawn by tackon into a white card show their emoji in colour, stand where they are
// placed, keep a white caption readable by its outline, and end a Hebrew caption's line with
// its "!" at the left.
//
// Tolerance for pictures: the square is compared with the picture scaled to the last zoom
// rectangle by ImageMagick; the mean difference must stay within 6 of 255 per channel and
// at most 2% of the pixels may differ by more than 48 in a channel (the player's own
// stretching and the picture's edge rows differ from ImageMagick's filter).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>

#include "package/package_layout.h"
#include "e2e_harness.h"
#include "gif_writer.h"

namespace e2e {
namespace {

// On the 1024 x 768 screen the message square of the centre cell, its last zoom rectangle
// (0, 0, 380, 380) and its CaptionRect (30, 30, 291, 291).
constexpr int kSide = 384, kSquareX = (1024 - kSide) / 2, kSquareY = (768 - kSide) / 2;
constexpr int kZoomEnd = 380;
constexpr int kCaptionLeft = 30, kCaptionRight = 291;
constexpr int kShowTimeoutMs = 15000;
constexpr double kMeanTolerance = 6.0;
constexpr int kPixelTolerance = 48;
constexpr double kOffShareTolerance = 0.02;

int Channel(uint32_t pixel, int c) { return int(pixel >> (16 - 8 * c) & 0xFF); }

std::vector<uint32_t> Square() { return ReadScreen(kSquareX, kSquareY, kSide, kSide); }

bool SquareShown() { return !FindWindowsByRect(kSquareX, kSquareY, kSide, kSide).empty(); }

// A show whose single still frame hands over to the message window at the centre cell.
std::string StillGif() {
    Bytes gif;
    PutHeader(&gif, 64, 48, true, 1);
    PutGraphicControl(&gif, 0, 20, -1);
    ImageSpec image;
    image.width = 64;
    image.height = 48;
    image.minimumCodeSize = 2;
    for (int i = 0; i < 64 * 48; ++i) image.pixels.push_back(i % 3);
    PutImage(&gif, image);
    gif.push_back(0x3B);
    return std::string(gif.begin(), gif.end());
}

class EverydayMessageTest : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        gif_ = OutputPath("animation.gif");
        ASSERT_TRUE(WriteFileBytes(gif_, StillGif()));
    }

    std::string Run(const std::string& command) {
        std::string log = OutputPath("command.log");
        int status = std::system((command + " >'" + log + "' 2>&1").c_str());
        std::string output;
        ReadFileBytes(log, &output);
        EXPECT_EQ(status, 0) << command << "\n" << output;
        return output;
    }

    // Packs the still animation (centre to centre) with the message options.
    ::testing::AssertionResult Pack(std::vector<std::string> options, const std::string& show,
                                    std::string* printed = nullptr) {
        for (const char* more : {"--animation", "", "--start", "centre", "--end", "centre", "-o"})
            options.push_back(*more ? more : gif_);
        options.push_back(show);
        return Tackon(options, printed);
    }

    // The square once it has stopped changing for 300 ms and `ready` holds for it.
    std::vector<uint32_t> SteadySquare(const std::function<bool(const std::vector<uint32_t>&)>& ready) {
        std::vector<uint32_t> last, steadySince;
        int64_t since = 0;
        bool done = WaitUntil(
            [&] {
                std::vector<uint32_t> now = Square();
                if (now != last) {
                    last = now;
                    since = NowMs();
                    return false;
                }
                return NowMs() - since >= 300 && ready(now);
            },
            kShowTimeoutMs, 50);
        EXPECT_TRUE(done) << "the message square did not settle";
        return last;
    }

    // A click on the finished message ends the show. It is used rather than Escape because a
    // key reaches the show only once X has given its window the keyboard focus, which under
    // Wine without a window manager was seen to miss now and then (the caption tests).
    void EndShow(WineProcess* show) {
        ClickAt(kSquareX + kSide / 2, kSquareY + kSide / 2);
        ASSERT_TRUE(Ends(show, 10000));
        EXPECT_EQ(show->exitCode, 0);
    }

    // Plays the show to its finished message and answers the square's pixels.
    std::vector<uint32_t> FinishedMessage(const std::string& show,
                                          const std::function<bool(const std::vector<uint32_t>&)>& ready) {
        WineProcess* process = Start(show);
        EXPECT_TRUE(Within(kShowTimeoutMs, "the message square", SquareShown));
        std::vector<uint32_t> seen = SteadySquare(ready);
        EndShow(process);
        return seen;
    }

    // The picture scaled into the last zoom rectangle on white, as ImageMagick makes it.
    std::vector<uint32_t> ScaledPicture(const std::string& picture) {
        std::string raw = OutputPath("expected.rgb");
        Run("convert '" + picture + "' -auto-orient -resize " + std::to_string(kZoomEnd) + "x" + std::to_string(kZoomEnd) +
            " -background white -gravity center -extent " + std::to_string(kZoomEnd) + "x" +
            std::to_string(kZoomEnd) + " -depth 8 'rgb:" + raw + "'");
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(raw, &bytes));
        std::vector<uint32_t> pixels;
        for (size_t i = 0; i + 2 < bytes.size(); i += 3)
            pixels.push_back(uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 |
                             uint8_t(bytes[i + 2]));
        return pixels;
    }

    // Mean channel difference and share of pixels off by more than kPixelTolerance between
    // the zoom rectangle of the square and the expected picture.
    static void Compare(const std::vector<uint32_t>& square, const std::vector<uint32_t>& expected,
                        double* mean, double* offShare) {
        double sum = 0;
        int off = 0;
        for (int y = 0; y < kZoomEnd; ++y)
            for (int x = 0; x < kZoomEnd; ++x) {
                uint32_t a = square[size_t(y) * kSide + x], b = expected[size_t(y) * kZoomEnd + x];
                int worst = 0;
                for (int c = 0; c < 3; ++c) {
                    int d = std::abs(Channel(a, c) - Channel(b, c));
                    sum += d;
                    worst = std::max(worst, d);
                }
                if (worst > kPixelTolerance) ++off;
            }
        *mean = sum / (3.0 * kZoomEnd * kZoomEnd);
        *offShare = double(off) / (kZoomEnd * kZoomEnd);
    }

    void ExpectPictureShown(const std::string& picture, const std::string& show) {
        std::vector<uint32_t> expected = ScaledPicture(picture);
        ASSERT_EQ(expected.size(), size_t(kZoomEnd) * kZoomEnd);
        double mean = 0, offShare = 0;
        std::vector<uint32_t> seen = FinishedMessage(show, [&](const std::vector<uint32_t>& now) {
            Compare(now, expected, &mean, &offShare);
            return mean <= kMeanTolerance && offShare <= kOffShareTolerance;
        });
        ASSERT_EQ(seen.size(), size_t(kSide) * kSide);
        Compare(seen, expected, &mean, &offShare);
        std::printf("[ picture ] %s: mean difference %.2f of 255, %.2f%% of pixels off by more than %d\n",
                    picture.c_str(), mean, 100 * offShare, kPixelTolerance);
        EXPECT_LE(mean, kMeanTolerance);
        EXPECT_LE(offShare, kOffShareTolerance);
    }

    std::string gif_;
};

TEST_F(EverydayMessageTest, PhotoPngPackedByTackonFillsTheZoomedSquare) {
    // Larger than the 1080-pixel message square, so the packer scales it down first.
    std::string photo = OutputPath("photo.png");
    Run("convert -seed 7 -size 400x267 plasma:orange-navy -resize 1600x1067! '" + photo + "'");
    std::string show = OutputPath("show.exe");
    ASSERT_TRUE(Pack({"--message-image", photo}, show));
    ExpectPictureShown(photo, show);
}

TEST_F(EverydayMessageTest, JpegPackedByTackonExeFillsTheZoomedSquare) {
    std::string photo = OutputPath("photo.jpg");
    // Taken on its side: an Exif block, put in after the start marker as cameras write it,
    // says to turn the pixels a quarter clockwise.
    Run("convert -seed 11 -size 400x300 plasma:green-yellow -resize 800x600! -quality 90 '" + photo + "'");
    std::string jpeg;
    ASSERT_TRUE(ReadFileBytes(photo, &jpeg));
    const char kExif[] = "\xFF\xE1\x00\x22" "Exif\0\0" "II*\0\x08\0\0\0" "\x01\0\x12\x01\x03\0\x01\0\0\0"
                         "\x06\0\0\0" "\0\0\0\0";
    jpeg.insert(2, kExif, sizeof kExif - 1);
    ASSERT_TRUE(WriteFileBytes(photo, jpeg));
    std::string show = OutputPath("show.exe");
    WineProcess* tackon = Start(WindowsBuildPath("tools/tackon/tackon.exe"),
                                {"--player", WindowsPath(Player()), "--message-image", WindowsPath(photo),
                                 "--message-background", "#FFFFFF", "--animation", WindowsPath(gif_),
                                 "--start", "centre", "--end", "centre", "-o", WindowsPath(show)});
    ASSERT_TRUE(Ends(tackon, 30000));
    ASSERT_EQ(tackon->exitCode, 0) << ReadLog(*tackon);
    ExpectPictureShown(photo, show);
}

struct CaptionCase {
    const char* name;
    const char* utf8;
    int charset;
};

void PrintTo(const CaptionCase& caption, std::ostream* out) { *out << caption.name; }

const CaptionCase kCaptions[] = {
    {"French", "Joyeux anniversaire, Zo\xC3\xA9 !", 0},
    {"Russian", "\xD0\xA1 \xD0\xB4\xD0\xBD\xD1\x91\xD0\xBC \xD1\x80\xD0\xBE\xD0\xB6\xD0\xB4\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x8F!", 204},
    {"Polish", "Wszystkiego najlepszego, \xC5\x81ucjo! Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84", 238},
};

constexpr uint32_t kCard = 0xFFF0D8, kInk = 0x802040;
const char kFace[] = "DejaVu Sans";
constexpr int kFontHeight = -28;

class CaptionTest : public EverydayMessageTest, public ::testing::WithParamInterface<CaptionCase> {};

bool HasInk(const std::vector<uint32_t>& square) {
    for (int y = kCaptionLeft; y < kCaptionRight; ++y)
        for (int x = kCaptionLeft; x < kCaptionRight; ++x)
            if (square[size_t(y) * kSide + x] == kInk) return true;
    return false;
}

TEST_P(CaptionTest, CaptionOnAColourCardDrawsWhatDrawTextWDraws) {
    const CaptionCase& caption = GetParam();
    std::string show = OutputPath("show.exe");
    ASSERT_TRUE(Pack({"--message-colour", "#FFF0D8", "--caption", caption.utf8, "--font",
                      kFace + ("," + std::to_string(kFontHeight)), "--colour", "#802040"},
                     show));
    std::string package;
    ASSERT_TRUE(ReadFileBytes(show, &package));
    FontRecord font;
    DecodeFontRecord(reinterpret_cast<const uint8_t*>(&package[package.size() - kTrailerSize + kOffsetCaptionFont]),
                     &font);
    EXPECT_EQ(font.charSet, caption.charset);

    std::vector<uint32_t> player = FinishedMessage(show, HasInk);
    ASSERT_EQ(player.size(), size_t(kSide) * kSide);
    // The card covers the zoom rectangle apart from the caption.
    int notCard = 0;
    for (int y = 0; y < kZoomEnd; ++y)
        for (int x = 0; x < kZoomEnd; ++x) {
            bool inCaption = x >= kCaptionLeft && x < kCaptionRight && y >= kCaptionLeft && y < kCaptionRight;
            if (!inCaption && player[size_t(y) * kSide + x] != kCard) ++notCard;
        }
    EXPECT_EQ(notCard, 0) << "the card colour is missing around the caption";

    std::string textFile = OutputPath("caption.txt");
    ASSERT_TRUE(WriteFileBytes(textFile, caption.utf8));
    WineProcess* reference = Start(
        WindowsBuildPath("tests/e2e/fixtures/caption_reference.exe"),
        {std::to_string(kSquareX), std::to_string(kSquareY), std::to_string(kSide), "FFF0D8", "802040", kFace,
         std::to_string(kFontHeight), "400", std::to_string(caption.charset), WindowsPath(textFile),
         std::to_string(kCaptionLeft), std::to_string(kCaptionLeft), std::to_string(kCaptionRight),
         std::to_string(kCaptionRight)});
    ASSERT_TRUE(Within(kShowTimeoutMs, "the reference window", [&] {
        return SquareShown() || PollExit(reference);
    }));
    ASSERT_FALSE(reference->ended) << "caption_reference.exe ended with " << reference->exitCode << ": "
                                   << ReadLog(*reference);
    std::vector<uint32_t> drawn = SteadySquare(HasInk);
    ClickAt(kSquareX + kSide / 2, kSquareY + kSide / 2);
    ASSERT_TRUE(Ends(reference, 10000));

    int differing = 0, ink = 0;
    for (int y = kCaptionLeft; y < kCaptionRight; ++y)
        for (int x = kCaptionLeft; x < kCaptionRight; ++x) {
            uint32_t a = player[size_t(y) * kSide + x], b = drawn[size_t(y) * kSide + x];
            if (a != b) ++differing;
            if (a != kCard) ++ink;
        }
    std::printf("[ caption ] %s: %d pixels of ink; %d pixels differ from DrawTextW\n", caption.name, ink,
                differing);
    EXPECT_GT(ink, 500);
    EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(Languages, CaptionTest, ::testing::ValuesIn(kCaptions),
                         [](const ::testing::TestParamInfo<CaptionCase>& info) { return info.param.name; });

double Luminance(uint32_t pixel) {
    return (0.2126 * Channel(pixel, 0) + 0.7152 * Channel(pixel, 1) + 0.0722 * Channel(pixel, 2)) / 255.0;
}

bool Dark(uint32_t pixel) { return Luminance(pixel) < 0.5; }

int DarkCount(const std::vector<uint32_t>& square) {
    int dark = 0;
    for (int y = 0; y < kZoomEnd; ++y)
        for (int x = 0; x < kZoomEnd; ++x)
            dark += Dark(square[size_t(y) * kSide + x]);
    return dark;
}

TEST_F(EverydayMessageTest, PictureCaptionsShowEmojiPlaceOutlineAndRightToLeftOrder) {
    // White on a white card, at the bottom centre: the emoji in colour, the text in its outline.
    std::string show = OutputPath("show.exe");
    std::string packed;
    ASSERT_TRUE(Pack({"--message-colour", "#FFFFFF", "--colour", "#FFFFFF", "--font", "DejaVu Sans,-40",
                      "--caption-position", "bottom-centre", "--caption", "Hi \xF0\x9F\x8E\x82"},
                     show, &packed));
    EXPECT_NE(packed.find("warning: caption: its colour #FFFFFF stands out little"), std::string::npos) << packed;
    std::vector<uint32_t> seen = FinishedMessage(show, [](const std::vector<uint32_t>& now) { return DarkCount(now) > 100; });
    ASSERT_EQ(seen.size(), size_t(kSide) * kSide);
    int left = kZoomEnd, right = -1, top = kZoomEnd, bottom = -1, coloured = 0;
    std::vector<double> luminances;
    for (int y = 0; y < kZoomEnd; ++y)
        for (int x = 0; x < kZoomEnd; ++x) {
            const uint32_t pixel = seen[size_t(y) * kSide + x];
            if ((pixel & 0xFFFFFF) == 0xFFFFFF) continue;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
            int high = 0, low = 255;
            for (int c = 0; c < 3; ++c) high = std::max(high, Channel(pixel, c)), low = std::min(low, Channel(pixel, c));
            coloured += high - low > 100;
        }
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) luminances.push_back(Luminance(seen[size_t(y) * kSide + x]));
    std::sort(luminances.begin(), luminances.end());
    const double dark = luminances[luminances.size() / 20], light = luminances[luminances.size() * 19 / 20];
    const double contrast = (light + 0.05) / (dark + 0.05);
    std::printf("[ picture caption ] box (%d, %d)-(%d, %d) of %d; %d strongly coloured pixels; "
                "text against its outline %.1f:1\n", left, top, right, bottom, kZoomEnd, coloured, contrast);
    EXPECT_GT(coloured, 40);
    EXPECT_NEAR((left + right) / 2.0, kZoomEnd / 2.0, kZoomEnd * 0.05);
    EXPECT_GT(top, kZoomEnd * 3 / 4);
    EXPECT_GT(bottom, kZoomEnd * 9 / 10);
    EXPECT_GT(contrast, 7.0);

    // Hebrew runs right to left: the first ink from the left is the "!", a narrow mark whose
    // dot stands apart from its stroke.
    ASSERT_TRUE(Pack({"--message-colour", "#FFFFFF", "--font", "DejaVu Sans,-80", "--caption",
                      "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D!"},
                     show));
    seen = FinishedMessage(show, [](const std::vector<uint32_t>& now) { return DarkCount(now) > 100; });
    ASSERT_EQ(seen.size(), size_t(kSide) * kSide);
    auto columnInk = [&](int x, int* first, int* last, bool* gap) {
        *first = -1, *last = -1, *gap = false;
        for (int y = 0; y < kZoomEnd; ++y)
            if (Dark(seen[size_t(y) * kSide + x])) {
                *gap = *gap || (*last >= 0 && y > *last + 1);
                if (*first < 0) *first = y;
                *last = y;
            }
        return *first >= 0;
    };
    int x = 0, first = 0, last = 0;
    bool gap = false, dotApart = false;
    while (x < kZoomEnd && !columnInk(x, &first, &last, &gap)) ++x;
    const int markLeft = x;
    while (x < kZoomEnd && columnInk(x, &first, &last, &gap)) dotApart = dotApart || gap, ++x;
    const int markWidth = x - markLeft;
    std::printf("[ picture caption ] Hebrew: the leftmost mark is %d pixels wide at x = %d, its dot %s\n",
                markWidth, markLeft, dotApart ? "apart" : "joined");
    EXPECT_LT(markWidth, 8);
    EXPECT_TRUE(dotApart);
}

}  // namespace
}  // namespace e2e
