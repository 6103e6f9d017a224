// The page's entry points into the portable core: decoding an animation with the player's
// GIF decoder, composing its frames with the composition model over a backdrop, and the
// placement arithmetic for the slide and the message square. Only glue lives here: byte
// buffers in and out of WebAssembly memory and pixel order for the canvas.
//
// Owns: the frames of the last composition (WebFrames) and the loaded animation (WebAnimation).
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gif/gif_loader.h"
#include "render/composition_model.h"
#include "show/placement.h"

namespace {

std::vector<uint8_t> WebFrames;   // every composed frame, RGBA, one after another
LoadedGif WebAnimation;

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

// The loaded list goes; the page draws from the core's pictures, so there are no drawing
// objects to release with it.
void ReleaseLoadedList() {
    FreeLoadedGif(&WebAnimation);
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE uint8_t* WebAlloc(int size) { return static_cast<uint8_t*>(std::malloc(size)); }
EMSCRIPTEN_KEEPALIVE void WebFree(void* block) { std::free(block); }

// Replaces the loaded animation with the GIF in data; answers its frame count, 0 when the
// decoder loads no frame.
EMSCRIPTEN_KEEPALIVE int WebLoadAnimation(const uint8_t* data, int size) {
    ReleaseLoadedList();
    WebAnimation = GifLoadBytes(data, size_t(size));
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
// the composed frames, RGBA, one after another; null when nothing is loaded.
EMSCRIPTEN_KEEPALIVE const uint8_t* WebComposeFrames(const uint8_t* backdropRgba) {
    WebFrames.clear();
    if (!WebAnimation.FrameListHead)
        return nullptr;
    const int width = WebAnimation.ScreenDescriptor.screenWidth;
    const int height = WebAnimation.ScreenDescriptor.screenHeight;
    ModelImage background = MakeModelImage(width, height, 0);
    for (size_t i = 0; i < background.pixels.size(); ++i) {
        const uint8_t* p = backdropRgba + 4 * i;
        background.pixels[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    for (const ModelImage& frame : ModelPlayList(WebAnimation.FrameListHead, WebAnimation.ScreenDescriptor,
                                                        background)) {
        for (uint32_t pixel : frame.pixels) {
            WebFrames.push_back(uint8_t(pixel >> 16));
            WebFrames.push_back(uint8_t(pixel >> 8));
            WebFrames.push_back(uint8_t(pixel));
            WebFrames.push_back(255);
        }
    }
    return WebFrames.data();
}

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

}  // extern "C"
