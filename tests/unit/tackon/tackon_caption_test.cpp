// Native tackon's picture captions: captions no code page holds (emoji, mixed scripts) are
// packed as pictures by default; the stored message picture matches the caption drawn
// straight with Pango and Cairo by this test, within anti-aliasing and palette tolerance,
// and the caption stays within its size budgets on a colour card and on a photo.
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "sample_player.h"
#include "pack/pack_api.h"
#include "sample_files.h"
#include "tackon.h"

namespace {

constexpr uint32_t kCard = 0xFFE680;

std::vector<uint8_t> MessagePixels(const Bytes& show, int* side) {
    ReelboxPacker* packer = ReelboxPackCreate();
    const unsigned char* pixels = ReelboxPackMessagePixels(packer, show.data(), show.size(), side);
    std::vector<uint8_t> copy;
    if (pixels)
        copy.assign(pixels, pixels + size_t(*side) * size_t(*side) * 4);
    ReelboxPackFree(packer);
    return copy;
}

// The caption as these defaults ask for it on a 1080-pixel card: Arial at 24 pixels of a
// 540-pixel message is 48 pixels; the margin is a 25th of the side; black text gets a white
// outline a 12th of its height wide.
std::vector<uint8_t> ReferenceCard(const std::string& text) {
    const int side = 1080, margin = 43;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, side, side);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1.0, 0xE6 / 255.0, 0x80 / 255.0);
    cairo_paint(cr);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Arial");
    pango_font_description_set_absolute_size(font, 48 * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_width(layout, (side - 2 * margin) * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_text(layout, text.c_str(), -1);
    cairo_move_to(cr, margin, margin);
    pango_cairo_layout_path(cr, layout);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 8);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_move_to(cr, margin, margin);
    cairo_set_source_rgb(cr, 0, 0, 0);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(surface);
    std::vector<uint8_t> rgba(size_t(side) * side * 4);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, cairo_image_surface_get_data(surface) + size_t(y) * stride + size_t(x) * 4, 4);
            uint8_t* p = &rgba[(size_t(y) * side + x) * 4];
            p[0] = uint8_t(pixel >> 16), p[1] = uint8_t(pixel >> 8), p[2] = uint8_t(pixel), p[3] = 255;
        }
    pango_font_description_free(font);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return rgba;
}

// A 1000 x 700 photo-like BMP: smooth colour fields with fine noise.
Bytes PhotoBmp() {
    const int w = 1000, h = 700, row = w * 3;
    Bytes b = {'B', 'M'};
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
    put32(uint32_t(54 + row * h)), put32(0), put32(54), put32(40), put32(w), put32(h);
    b.insert(b.end(), {1, 0, 24, 0});
    for (int i = 0; i < 6; ++i) put32(0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int noise = (x * 7919 + y * 104729) % 23;
            b.push_back(uint8_t(100 + 80 * std::sin(x / 90.0) + noise));
            b.push_back(uint8_t(120 + 60 * std::cos(y / 70.0) + noise));
            b.push_back(uint8_t((x + y) / 7 + noise));
        }
    return b;
}

TEST(TackonCaption, CaptionsNoCodePageHoldsArePicturesAsPangoDrawsThem) {
    ScratchFolder folder;
    WriteBytes(folder / "player.exe", SamplePlayer(2000));
    WriteBytes(folder / "a.gif", SampleGif(0, 0));
    WriteBytes(folder / "photo.bmp", PhotoBmp());
    WriteBytes(folder / "m.emf", SampleEmf(0));
    auto pack = [&](const std::string& out, std::vector<std::string> more) {
        std::vector<std::string> args = {"--player", folder / "player.exe", "--animation", folder / "a.gif",
                                         "-o", folder / out};
        args.insert(args.end(), more.begin(), more.end());
        return Tackon(args);
    };
    ASSERT_EQ(0, pack("card.exe", {"--message-colour", "#FFE680"}).status);
    ASSERT_EQ(0, pack("photo.exe", {"--message-image", folder / "photo.bmp"}).status);
    const size_t bareCard = ReadBytes(folder.path / "card.exe").size();
    const size_t barePhoto = ReadBytes(folder.path / "photo.exe").size();

    const std::string captions[] = {"Happy birthday Zo\xC3\xA9 \xF0\x9F\x8E\x82\xF0\x9F\x8E\x89",
                                    "Zo\xC3\xA9, \xD0\xA1 \xD0\xB4\xD0\xBD\xD1\x91\xD0\xBC "
                                    "\xD1\x80\xD0\xBE\xD0\xB6\xD0\xB4\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x8F!"};
    for (const std::string& caption : captions) {
        SCOPED_TRACE(caption);
        const ToolRun run = pack("captioned.exe", {"--message-colour", "#FFE680", "--caption", caption});
        ASSERT_EQ(0, run.status) << run.err;
        EXPECT_NE(std::string::npos, run.out.find("caption: a picture caption: no Windows code page holds it"))
            << run.out;
        const Bytes show = ReadBytes(folder.path / "captioned.exe");
        EXPECT_LE(show.size(), bareCard + 150000);
        int side = 0;
        const std::vector<uint8_t> stored = MessagePixels(show, &side);
        ASSERT_EQ(1080, side);
        const std::vector<uint8_t> reference = ReferenceCard(caption);
        double difference = 0;
        size_t inked = 0;
        for (size_t i = 0; i < stored.size(); i += 4) {
            const uint32_t colour = uint32_t(reference[i]) << 16 | uint32_t(reference[i + 1]) << 8 | reference[i + 2];
            inked += colour != kCard;
            for (int c = 0; c < 3; ++c)
                difference += std::abs(int(stored[i + c]) - int(reference[i + c]));
        }
        // Thousands of pixels of text; on average the picture is the reference within what
        // the palette of the caption's area takes away.
        EXPECT_GT(inked, 5000u);
        EXPECT_LT(difference / double(3 * inked), 3.0) << inked << " pixels of ink";
        EXPECT_EQ(0, std::memcmp(stored.data(), reference.data(), 4 * 1080 * 30));   // above the text
    }

    // On a photo the caption adds at most 5 %; an author's metafile takes no picture caption.
    const ToolRun photo = pack("captioned-photo.exe", {"--message-image", folder / "photo.bmp", "--caption", captions[0]});
    ASSERT_EQ(0, photo.status) << photo.err;
    EXPECT_LE(ReadBytes(folder.path / "captioned-photo.exe").size(), barePhoto + barePhoto / 20);
    const ToolRun emf = pack("emf.exe", {"--message", folder / "m.emf", "--caption", captions[0]});
    EXPECT_EQ(1, emf.status);
    EXPECT_NE(std::string::npos, emf.err.find("cannot be drawn into a metafile given as it is")) << emf.err;
}

}  // namespace
