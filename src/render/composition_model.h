// Reference model of what a presenting window shows: the same composition the GDI code
// performs, done on plain RGB buffers, so that tests can say pixel for pixel what must be
// on the screen after each frame and each disposal.
//
// Three pictures of the window's size: the snapshot (the screen that lay under the window),
// the stage (what lies under the next frame) and the window (what it shows now). A frame
// is drawn by palette index at (left + dx, top + dy), clipped to the window; pixels equal
// to its transparent index are left out. Leaving a frame with disposal 0 or 1 keeps what
// the window shows as the stage; 2 does the same but puts the snapshot back inside the
// frame's own rectangle (clipped to the window); 3 and above and negative values leave the
// stage as it was.
//
// Owns: the buffers of a CompositionModel. Portable: no platform headers.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/gif_loader.h"

// Row-major pixels, 0x00RRGGBB, pixels[y * width + x].
struct ModelImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

struct CompositionModel {
    ScreenDescriptorRecord screen;  // copy of the descriptor the frames' global table is in
    ModelImage snapshot;
    ModelImage stage;
    ModelImage window;
};

// The snapshot, the stage and the window all start as the background.
void ModelStart(CompositionModel& model, const ScreenDescriptorRecord& screen,
                const ModelImage& background);

// The stage with the frame drawn over it; the stage itself does not change. A null node,
// a frame without pixels or a frame without colours gives the stage alone.
ModelImage ModelCompose(const CompositionModel& model, const FrameNode* node, int dx, int dy);

// What the window shows once the node's frame is painted (the window remembers it).
const ModelImage& ModelShowFrame(CompositionModel& model, const FrameNode* node);

// The stage after the node's frame, the one now shown, leaves with its disposal method.
void ModelLeaveFrame(CompositionModel& model, const FrameNode* node);

// Plays a list once from first, as the animation window does: each frame is shown and then
// left with its own disposal. Gives what the window shows for each frame in order.
std::vector<ModelImage> ModelPlayList(const FrameNode* first, const ScreenDescriptorRecord& screen,
                                      const ModelImage& background);

ModelImage MakeModelImage(int width, int height, uint32_t fill);
uint32_t ModelPixel(const ModelImage& image, int x, int y);
