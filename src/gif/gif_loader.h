// The GIF stream parser and what it answers: a LoadedGif holding the ScreenDescriptor and the
// doubly linked FrameNode list reached through FrameListHead; GifLoader, GifLoadBytes and
// FreeLoadedGif.
//
// Owns nothing between calls: every load is a value of its own, and whoever holds it frees it
// through FreeLoadedGif (the player's ReleaseAnimation, render_api.h, frees it together with
// the drawing objects made from it). Loads do not share state, so two can be held at once.
// Portable: no platform headers; the file is read through file_mapping.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gif/file_mapping.h"
#include "gif/frame_image.h"

struct ScreenDescriptorRecord {
    int screenWidth;
    int screenHeight;
    uint8_t globalRed[256];
    uint8_t globalGreen[256];
    uint8_t globalBlue[256];
    int globalColourCount;   // 2 << (packed & 7), whether or not a global table is present
    int colourResolution;
    int backgroundIndex;
    int aspectRatio;
    int hasGlobalTable;
};

struct FrameControl {
    int hasTransparency;
    int delay;       // hundredths of a second, 0..65535
    int userInput;
    int disposal;    // 0..7
};

struct FrameNode {
    FrameImage* image;
    FrameControl control;
    FrameNode* next;
    FrameNode* previous;
};

struct LoadedGif {
    ScreenDescriptorRecord ScreenDescriptor;  // filled when the header was valid
    FrameNode* FrameListHead;                 // first frame; null when none was loaded
};

// Loads a GIF file. The answer holds at least one frame exactly when FrameListHead is set;
// a file that cannot be read or whose header is not a GIF's gives an empty (all-zero) value.
LoadedGif GifLoader(const PathChar* path);
// The same on bytes already in memory (the file mapping hands its view to this).
LoadedGif GifLoadBytes(const uint8_t* data, size_t size);

// The stream's blocks walked by the same parse without decoding, so that images the load
// does not take (its budgets, damaged data) can be counted. valid: the header is a GIF's.
// images: the image descriptors met. cut: the bytes end inside the global colour table or
// inside an image (its descriptor, colour table or data), whose lower rows are then missing;
// a stream that ends between blocks (many encoders leave out the trailer byte) is whole.
struct GifOutline {
    bool valid;
    int images;
    bool cut;
};
GifOutline OutlineGif(const uint8_t* data, size_t size);

// Frees the frame list with every image and sets FrameListHead to null; a second call does
// nothing.
void FreeLoadedGif(LoadedGif* gif);
// Frees every node from first on with its image.
void FreeFrameList(FrameNode* first);
