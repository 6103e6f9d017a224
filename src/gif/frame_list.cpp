// The release of a frame list, and of a LoadedGif through it.
//
// Owns: nothing; every FrameNode with its FrameImage belongs to the LoadedGif it was loaded into.
#include <cstdlib>

#include "gif/gif_loader.h"

void FreeFrameList(FrameNode* first) {
    while (first) {
        FrameNode* next = first->next;
        FreeFrameImage(first->image);
        std::free(first);
        first = next;
    }
}

void FreeLoadedGif(LoadedGif* gif) {
    FreeFrameList(gif->FrameListHead);
    gif->FrameListHead = nullptr;
}
