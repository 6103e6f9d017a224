// Picture captions drawn with Pango and Cairo (see caption_drawing.h).
#include "caption_drawing.h"

#include <pango/pangocairo.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

template <typename T, void (*Release)(T*)>
struct Releaser {
    void operator()(T* object) const { Release(object); }
};
using Surface = std::unique_ptr<cairo_surface_t, Releaser<cairo_surface_t, cairo_surface_destroy>>;
using Context = std::unique_ptr<cairo_t, Releaser<cairo_t, cairo_destroy>>;
using FontDescription = std::unique_ptr<PangoFontDescription, Releaser<PangoFontDescription, pango_font_description_free>>;

void GObjectRelease(PangoLayout* layout) { g_object_unref(layout); }
using Layout = std::unique_ptr<PangoLayout, Releaser<PangoLayout, GObjectRelease>>;

void SetSource(cairo_t* cr, uint32_t rgb) {
    cairo_set_source_rgb(cr, (rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

const PangoAlignment kAlignments[3] = {PANGO_ALIGN_LEFT, PANGO_ALIGN_CENTER, PANGO_ALIGN_RIGHT};

}  // namespace

bool DrawPictureCaption(ReelboxPacker* packer, const std::string& utf8, const PackRequest& request,
                        std::string* error) {
    int side = 0;
    const unsigned char* canvas = ReelboxPackCaptionCanvas(packer, &side);
    if (!canvas) {
        *error = std::string("caption: ") + ReelboxPackError(packer);
        return false;
    }
    const uint32_t c = request.colour;   // COLORREF
    const uint32_t colour = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    int frame[7];
    ReelboxPackCaptionFrame(side, request.font.height, request.captionOutline ? 1 : 0, colour,
                            int(request.captionPosition), frame);
    const int pixelHeight = frame[0], margin = frame[1], wrapWidth = frame[2], outline = frame[3];
    const uint32_t outlineColour = uint32_t(frame[4]);

    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
    const int stride = cairo_image_surface_get_stride(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS || !data) {
        *error = "caption: no memory for a " + std::to_string(side) + "-pixel message square";
        return false;
    }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const unsigned char* p = canvas + (size_t(y) * size_t(side) + size_t(x)) * 4;
            const uint32_t pixel = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            std::memcpy(data + size_t(y) * size_t(stride) + size_t(x) * 4, &pixel, 4);
        }
    cairo_surface_mark_dirty(surface.get());

    Context cr(cairo_create(surface.get()));
    Layout layout(pango_cairo_create_layout(cr.get()));
    pango_context_set_base_dir(pango_layout_get_context(layout.get()),
                               ReelboxPackCaptionRightToLeft(utf8.c_str()) ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR);
    pango_layout_set_auto_dir(layout.get(), FALSE);
    pango_layout_context_changed(layout.get());
    FontDescription font(pango_font_description_new());
    const std::string face(request.font.faceName, strnlen(request.font.faceName, kFaceNameSize));
    pango_font_description_set_family(font.get(), face.c_str());
    pango_font_description_set_weight(font.get(), request.font.weight >= 700 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(font.get(), request.font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(font.get(), double(pixelHeight) * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_width(layout.get(), wrapWidth * PANGO_SCALE);
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout.get(), kAlignments[frame[5]]);
    pango_layout_set_text(layout.get(), utf8.data(), int(utf8.size()));
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout.get(), &width, &height);
    const double top = ReelboxPackCaptionBlockTop(side, int(request.captionPosition), height);

    if (outline > 0) {
        cairo_move_to(cr.get(), margin, top);
        pango_cairo_layout_path(cr.get(), layout.get());
        SetSource(cr.get(), outlineColour);
        cairo_set_line_width(cr.get(), 2.0 * outline);
        cairo_set_line_join(cr.get(), CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr.get());
    }
    cairo_move_to(cr.get(), margin, top);
    SetSource(cr.get(), colour);
    pango_cairo_show_layout(cr.get(), layout.get());
    cairo_surface_flush(surface.get());

    std::vector<unsigned char> drawn(size_t(side) * size_t(side) * 4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, data + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
            unsigned char* p = &drawn[(size_t(y) * size_t(side) + size_t(x)) * 4];
            p[0] = uint8_t(pixel >> 16);
            p[1] = uint8_t(pixel >> 8);
            p[2] = uint8_t(pixel);
            p[3] = 0xFF;
        }
    if (!ReelboxPackSetCaptionPicture(packer, drawn.data(), side)) {
        *error = std::string("caption: ") + ReelboxPackError(packer);
        return false;
    }
    return true;
}
