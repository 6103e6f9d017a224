// The page's entry points into the portable core: decoding an animation with the player's
// GIF decoder, composing its frames with the composition model over a backdrop, and the
// placement arithmetic for the slide and the message square, and reading the package a web
// show carries. Only glue lives here: byte buffers in and out of WebAssembly memory and
// pixel order for the canvas.
//
// Every block handed to the page is checked: a refused allocation answers null (or 0), and
// sizes are unsigned. Owns: the frames of the last composition (WebFrames), the last
// converted sound (WebWave), the loaded animation (WebAnimation), and the frame by frame playing
// of it (PlayModel, PlayCursor, PlayFrame).
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gif/gif_loader.h"
#include "pack/pack_api.h"
#include "pack/wave_writer.h"
#include "package/package_layout.h"
#include "render/composition_model.h"
#include "show/placement.h"

namespace {

// The composed frames the preview may hold: beyond this the page refuses the animation
// rather than exhaust the browser's memory.
constexpr uint64_t kCompositionBudget = 500000000;

uint8_t* WebFrames = nullptr;   // every composed frame, RGBA, one after another
LoadedGif WebAnimation;
std::vector<uint8_t> WebWave;   // the last sound converted to a WAV
CompositionModel PlayModel;       // the window as frames are played one at a time
const FrameNode* PlayCursor = nullptr;
int PlayDelay = 0;                // delay of the frame last played, hundredths of a second
std::vector<uint8_t> PlayFrame;   // that frame, RGBA

const FrameNode* FrameAt(int index) {
    const FrameNode* node = WebAnimation.FrameListHead;
    for (int i = 0; node && i < index; ++i)
        node = node->next;
    return node;
}

// Fills out[0..3] with left, top, right, bottom.
void StoreRect(const Rect& rect, int32_t* out) {
    out[0] = rect.left;
    out[1] = rect.top;
    out[2] = rect.right;
    out[3] = rect.bottom;
}

// A picture of the animation's logical screen from the page's RGBA bytes.
ModelImage BackdropFromRgba(const uint8_t* rgba) {
    const ScreenDescriptorRecord& screen = WebAnimation.ScreenDescriptor;
    ModelImage image = MakeModelImage(screen.screenWidth, screen.screenHeight, 0);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const uint8_t* p = rgba + 4 * i;
        image.pixels[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    return image;
}

void AppendRgba(const ModelImage& image, std::vector<uint8_t>* out) {
    for (uint32_t pixel : image.pixels) {
        out->push_back(uint8_t(pixel >> 16));
        out->push_back(uint8_t(pixel >> 8));
        out->push_back(uint8_t(pixel));
        out->push_back(255);
    }
}

// The loaded list goes; the page draws from the core's pictures, so there are no drawing
// objects to release with it.
void ReleaseLoadedList() {
    FreeLoadedGif(&WebAnimation);
    PlayCursor = nullptr;
}

// A whole number from lo to hi, drawn with the browser's random numbers (the player draws
// its random cells with rand()).
int DrawInRange(int lo, int hi) {
    return lo + int(emscripten_random() * float(hi - lo + 1)) % (hi - lo + 1);
}

}  // namespace

extern "C" {

// Null when the block cannot be had; the page checks before it copies anything in.
EMSCRIPTEN_KEEPALIVE uint8_t* WebAlloc(size_t size) {
    return static_cast<uint8_t*>(std::malloc(size ? size : 1));
}
EMSCRIPTEN_KEEPALIVE void WebFree(void* block) { std::free(block); }

// The limits the page names when it refuses a picture or an animation: the packer's pixel
// budget (the one tackon applies) and the preview's composition budget in bytes.
EMSCRIPTEN_KEEPALIVE uint32_t WebPictureBudget() { return REELBOX_PACK_PICTURE_PIXEL_BUDGET; }
EMSCRIPTEN_KEEPALIVE uint32_t WebCompositionBudget() { return uint32_t(kCompositionBudget); }

// Replaces the loaded animation with the GIF in data; answers its frame count, 0 when the
// decoder loads no frame.
EMSCRIPTEN_KEEPALIVE int WebLoadAnimation(const uint8_t* data, size_t size) {
    ReleaseLoadedList();
    WebAnimation = GifLoadBytes(data, size);
    int count = 0;
    for (const FrameNode* node = WebAnimation.FrameListHead; node; node = node->next)
        ++count;
    return count;
}

EMSCRIPTEN_KEEPALIVE int WebAnimationWidth() { return WebAnimation.ScreenDescriptor.screenWidth; }
EMSCRIPTEN_KEEPALIVE int WebAnimationHeight() { return WebAnimation.ScreenDescriptor.screenHeight; }

// Delay of a frame in hundredths of a second, -1 past the end.
EMSCRIPTEN_KEEPALIVE int WebFrameDelay(int index) {
    const FrameNode* node = FrameAt(index);
    return node ? node->control.delay : -1;
}

// Plays the loaded list once over a backdrop of the window's size (RGBA bytes) and answers
// the composed frames, RGBA, one after another. Null when nothing is loaded, when the
// window has no pixels, when the frames would pass the composition budget or when memory
// runs out; the frames stay until the next composition.
EMSCRIPTEN_KEEPALIVE const uint8_t* WebComposeFrames(const uint8_t* backdropRgba) {
    std::free(WebFrames);
    WebFrames = nullptr;
    const int width = WebAnimation.ScreenDescriptor.screenWidth;
    const int height = WebAnimation.ScreenDescriptor.screenHeight;
    uint64_t count = 0;
    for (const FrameNode* node = WebAnimation.FrameListHead; node; node = node->next)
        ++count;
    if (count == 0 || width <= 0 || height <= 0)
        return nullptr;
    const uint64_t frameBytes = uint64_t(width) * uint64_t(height) * 4;
    if (frameBytes * count > kCompositionBudget)
        return nullptr;
    uint8_t* frames = static_cast<uint8_t*>(std::malloc(size_t(frameBytes * count)));
    if (!frames)
        return nullptr;
    ModelImage background = MakeModelImage(width, height, 0);
    for (size_t i = 0; i < background.pixels.size(); ++i) {
        const uint8_t* p = backdropRgba + 4 * i;
        background.pixels[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    CompositionModel model;
    ModelStart(model, WebAnimation.ScreenDescriptor, background);
    uint8_t* out = frames;
    for (const FrameNode* node = WebAnimation.FrameListHead; node; node = node->next) {
        for (uint32_t pixel : ModelShowFrame(model, node).pixels) {
            *out++ = uint8_t(pixel >> 16);
            *out++ = uint8_t(pixel >> 8);
            *out++ = uint8_t(pixel);
            *out++ = 255;
        }
        ModelLeaveFrame(model, node);
    }
    WebFrames = frames;
    return WebFrames;
}

// Decoded samples written as the WAV the packer would store for them (the same call the
// packer makes), so that a long sound is converted once, not at every check. *size gets
// its length; null when there is nothing to write.
EMSCRIPTEN_KEEPALIVE const uint8_t* WebBuildWave(const float* samples, size_t frameCount,
                                                 int channels, int sampleRate, int outputRate,
                                                 int outputChannels, size_t* size) {
    WebWave = BuildWave(samples, frameCount, channels, sampleRate,
                        outputRate == 0 ? kDefaultSoundRate : outputRate, outputChannels);
    *size = WebWave.size();
    return WebWave.empty() ? nullptr : WebWave.data();
}

// Lets the converted sound go once the page has its copy.
EMSCRIPTEN_KEEPALIVE void WebReleaseWave() { std::vector<uint8_t>().swap(WebWave); }

// Starts playing the loaded list frame by frame over a backdrop of the window's size (RGBA
// bytes), as the player's window does; 0 when nothing is loaded.
EMSCRIPTEN_KEEPALIVE int WebPlayStart(const uint8_t* backdropRgba) {
    PlayCursor = WebAnimation.FrameListHead;
    if (!WebAnimation.FrameListHead)
        return 0;
    ModelStart(PlayModel, WebAnimation.ScreenDescriptor, BackdropFromRgba(backdropRgba));
    return 1;
}

// The window with the next frame shown, RGBA, and that frame left by its disposal; past the
// last frame null, or the first frame again when loop is 1 (the About dialog's logo).
EMSCRIPTEN_KEEPALIVE const uint8_t* WebPlayNext(int loop) {
    if (!PlayCursor && loop)
        PlayCursor = WebAnimation.FrameListHead;
    if (!PlayCursor)
        return nullptr;
    PlayFrame.clear();
    AppendRgba(ModelShowFrame(PlayModel, PlayCursor), &PlayFrame);
    ModelLeaveFrame(PlayModel, PlayCursor);
    PlayDelay = PlayCursor->control.delay;
    PlayCursor = PlayCursor->next;
    return PlayFrame.data();
}

// The delay of the frame WebPlayNext gave last, in hundredths of a second.
EMSCRIPTEN_KEEPALIVE int WebPlayDelay() { return PlayDelay; }

// Frees the loaded animation, so that the packer's checks find the decoder empty.
EMSCRIPTEN_KEEPALIVE void WebReleaseAnimation() { ReleaseLoadedList(); }

// Where an animation window of width x height stands in a cell of a screen whose work area
// starts at its top-left corner: out[0..1] = x, y.
EMSCRIPTEN_KEEPALIVE void WebAnimationCorner(int placementCode, int screenWidth, int screenHeight,
                                             int width, int height, int32_t* out) {
    Point corner = AnimationCellCorner(placementCode, Size{screenWidth, screenHeight}, Point{0, 0},
                                       Size{width, height});
    out[0] = corner.x;
    out[1] = corner.y;
}

// The message square in the end cell and what is drawn inside it: out[0..3] = the square on
// the screen, out[4..7] = the caption rectangle and out[8..11] = the rectangle the message
// is played into once the zoom has finished, both in the square.
EMSCRIPTEN_KEEPALIVE void WebMessageLayout(int placementCode, int screenWidth, int screenHeight,
                                           int32_t* out) {
    const Size screen{screenWidth, screenHeight};
    const int side = MessageSide(screen);
    const Point corner = MessageCellCorner(placementCode, screen);
    StoreRect(Rect{corner.x, corner.y, corner.x + side, corner.y + side}, out);
    StoreRect(ComputeCaptionRect(side, side), out + 4);
    StoreRect(MessageZoom(4, side, side), out + 8);
}

// The rectangle the message is drawn into at zoom step 0..4 in a square of side pixels:
// out[0..3] = left, top, right, bottom.
EMSCRIPTEN_KEEPALIVE void WebMessageZoom(int step, int side, int32_t* out) {
    StoreRect(MessageZoom(step, side, side), out);
}

// The animation window's corners through the slide from the start cell to the end cell,
// the start first and the end cell's corner last: out gets x, y pairs, at most max of them.
// Answers how many it wrote.
EMSCRIPTEN_KEEPALIVE int WebSlideCorners(int startCode, int endCode, int screenWidth,
                                         int screenHeight, int width, int height, int32_t* out,
                                         int max) {
    const Size screen{screenWidth, screenHeight}, window{width, height};
    const Point start = AnimationCellCorner(startCode, screen, Point{0, 0}, window);
    SlideState slide = StartSlide(start, start, AnimationCellCorner(endCode, screen, Point{0, 0}, window));
    int count = 0;
    Point corner = start;
    for (;;) {
        if (count == max)
            return count;
        out[2 * count] = corner.x;
        out[2 * count + 1] = corner.y;
        ++count;
        if (slide.arrived)
            return count;
        corner = NextSlideCorner(&slide).corner;
    }
}

// Reads the package of a show (its payloads, caption and trailer; a player before them is
// allowed). Answers 1 when the player would play it, with out[0..19]: offset and size of
// the animation, message, logo and sound (offset -1 when absent); 1 when the sound is WAV;
// the caption's offset and length; its colour 0xRRGGBB; the start and end cells (a random
// one drawn here, as the player draws it when it starts); 1 for the
// About dialog; the font's height, weight, italic flag and charset; the face name's offset.
EMSCRIPTEN_KEEPALIVE int WebShowRead(const uint8_t* package, int size, int32_t* out) {
    if (size < int(kTrailerSize))
        return 0;
    const uint8_t* trailerBytes = package + size - kTrailerSize;
    PackageTrailerRecord trailer;
    DecodeTrailer(trailerBytes, &trailer);
    PackagePayloads payloads;
    if (LocatePayloads(uint64_t(size), trailer, &payloads) != kPackageAccepted)
        return 0;
    const PayloadSpan* spans[] = {&payloads.animation, &payloads.message, &payloads.logo, &payloads.sound};
    for (int i = 0; i < 4; ++i) {
        out[2 * i] = spans[i]->present ? int32_t(spans[i]->offset) : -1;
        out[2 * i + 1] = spans[i]->present ? int32_t(spans[i]->size) : 0;
    }
    FontRecord font;
    DecodeFontRecord(trailerBytes + kOffsetCaptionFont, &font);
    const uint32_t c = trailer.captionColour;   // COLORREF
    const int32_t values[] = {
        trailer.sound.type == kSoundTypeWave, int32_t(payloads.captionOffset),
        int32_t(payloads.captionCopyLength), int32_t((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF)),
        int32_t(ResolvePlacement(trailer.startPlacement, DrawInRange)),
        int32_t(ResolvePlacement(trailer.endPlacement, DrawInRange)), trailer.showAbout == 1,
        font.height, font.weight, font.italic != 0, font.charSet,
        int32_t(size - kTrailerSize + kOffsetCaptionFont + kFontRecordSize - kFaceNameSize)};
    for (int i = 0; i < 12; ++i)
        out[8 + i] = values[i];
    return 1;
}

}  // extern "C"
