// The GIF stream parser and the one loaded frame list: ScreenDescriptor, the doubly linked
// FrameNode list reached through FrameListHead, GifLoader and FreeFrameList.
//
// Owns: ScreenDescriptor, PendingControl, FrameListHead and every FrameNode with its image.
// Whoever also makes drawing objects from a loaded list releases both together (the player's
// ReleaseAnimation, render_api.h); this module knows nothing of them.
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

extern ScreenDescriptorRecord ScreenDescriptor;
extern FrameControl PendingControl;
extern FrameNode* FrameListHead;

// Loads a GIF file: 1 when at least one frame was loaded. Does not release a list that is
// already loaded; callers load only when FrameListHead is none.
int GifLoader(const PathChar* path);
// The same on bytes already in memory (the file mapping hands its view to this).
int GifLoadBytes(const uint8_t* data, size_t size);

// Frees every node from first on with its image. Freeing the loaded list leaves
// FrameListHead to the caller.
void FreeFrameList(FrameNode* first);
