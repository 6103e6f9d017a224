// The one loaded frame list: FrameListHead and the release of a list.
//
// Owns: FrameListHead and every FrameNode with its FrameImage.
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
