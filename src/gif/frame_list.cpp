// The one loaded frame list: FrameListHead, its release, and ReleaseAnimation.
//
// Owns: FrameListHead and every FrameNode with its FrameImage. The drawing objects made from
// the list belong to the rendering code, which frees them in ReleaseDrawingObjects.
#include <cstdlib>

#include "gif/gif_loader.h"

FrameNode* FrameListHead = nullptr;

void FreeFrameList(FrameNode* first) {
    while (first) {
        FrameNode* next = first->next;
        FreeFrameImage(first->image);
        std::free(first);
        first = next;
    }
}

void ReleaseAnimation() {
    if (FrameListHead) {
        FreeFrameList(FrameListHead);
        FrameListHead = nullptr;
    }
    ReleaseDrawingObjects();
}
