// FrameImage: one decoded GIF image held in memory as a column-major raster of palette
// indices, with the colour table it was decoded with, its place on the logical screen,
// its transparent index and its interlace flag.
//
// Owns: the raster block holding the columns and the column array of every FrameImage.
// Portable: no platform headers.
#pragma once

#include <cstdint>

struct FrameImage {
    uint8_t** columns;        // columns[x][y], width pointers into one zero-filled block of
                              // width x height bytes, which starts at columns[0]
    int usesGlobalTable;      // 1: colours are the ScreenDescriptor's global table
    int left;                 // 0..65535, position on the logical screen
    int top;
    int width;                // 0..65535
    int height;
    int usedColourCount;      // 1 + highest index delivered by the decoder; 0 for none
    int red[256];             // colour table the image was decoded with, each 0..255
    int green[256];
    int blue[256];
    int unseenMark[256];      // 1: no pixel with this index was delivered
    int transparentIndex;     // -1 for none
    int interlaced;           // 1 when the descriptor marks the image interlaced
};

// Allocates the record and width zero-filled columns of height bytes; none (nullptr) when
// memory runs out or the image is larger than the decoder's budget (see frame_image.cpp).
FrameImage* CreateFrameImage(int width, int height);
void FreeFrameImage(FrameImage* image);
void SetTransparentIndex(FrameImage* image, int index);
void StorePixel(FrameImage* image, int x, int y, int value);  // low 8 bits; outside ignored
int GetPixel(const FrameImage* image, int x, int y);          // outside reads 0
bool IsInside(const FrameImage* image, int x, int y);
