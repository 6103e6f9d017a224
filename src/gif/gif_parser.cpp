// The GIF stream parser: the header, the logical screen descriptor with its global colour
// table, and the blocks that follow, turned into the frame list by BuildFrameList, or walked
// without decoding by OutlineGif.
//
// Owns nothing between calls: the screen descriptor, the pending control and the load
// budget of a load live in that load's LoadState. Extensions other than the graphic control
// extension are skipped unread, so no loop count is taken from the file.
#include <cstdlib>
#include <cstring>

#include "bytes/little_endian.h"
#include "gif/gif_loader.h"
#include "gif/lzw_decoder.h"
#include "gif/read_position.h"

namespace {

// A load stops building frames, as if memory had run out, once its frames would cost more
// than this together. The cost of a frame counts its raster, its column array with a rough
// heap overhead per column, and its records, so that neither a few huge images nor a flood of
// empty ones can exhaust memory. 256 MiB holds, for example, 60 full-HD-sized frames or
// thousands of ordinary sprites; CreateFrameImage also refuses any single image over
// 4096 x 4096 pixels. The fuzzer builds with a smaller total so that hostile sizes do not
// spend its time zero-filling memory.
#ifndef REELBOX_GIF_LOAD_BUDGET_MIB
#define REELBOX_GIF_LOAD_BUDGET_MIB 256
#endif
constexpr size_t kLoadBudget = size_t(REELBOX_GIF_LOAD_BUDGET_MIB) << 20;
constexpr size_t kColumnOverhead = sizeof(uint8_t*) + 32;

// One load's parse: the read position, the value being built, the graphic control that
// applies to the next image, and the memory its frames have cost so far.
struct LoadState {
    ReadPosition pos;
    LoadedGif gif;
    FrameControl PendingControl;
    size_t loadCost;
};

bool ChargeLoadBudget(LoadState* load, int width, int height) {
    size_t cost = sizeof(FrameImage) + sizeof(FrameNode) + size_t(width) * kColumnOverhead +
                  size_t(width) * size_t(height);
    if (cost > kLoadBudget - load->loadCost)
        return false;
    load->loadCost += cost;
    return true;
}

int ReadUnsigned16(ReadPosition* pos) {
    uint8_t bytes[2];
    TakeBytes(pos, bytes, 2);
    return ReadLe16(bytes);
}

int ReadColourTable(ReadPosition* pos, int count, uint8_t* red, uint8_t* green,
                    uint8_t* blue) {
    for (int i = 0; i < count; ++i) {
        red[i] = uint8_t(TakeByte(pos));
        green[i] = uint8_t(TakeByte(pos));
        blue[i] = uint8_t(TakeByte(pos));
    }
    return 1;
}

int ReadScreenHeader(ReadPosition* pos, ScreenDescriptorRecord* screen) {
    uint8_t header[6];
    TakeBytes(pos, header, 6);
    if (std::memcmp(header, "GIF", 3) != 0 ||
        (std::memcmp(header + 3, "87a", 3) != 0 && std::memcmp(header + 3, "89a", 3) != 0))
        return 0;
    ScreenDescriptorRecord& s = *screen;
    s.screenWidth = ReadUnsigned16(pos);
    s.screenHeight = ReadUnsigned16(pos);
    int packed = TakeByte(pos);
    s.backgroundIndex = TakeByte(pos);
    s.aspectRatio = TakeByte(pos);
    s.globalColourCount = 2 << (packed & 7);
    s.colourResolution = ((packed >> 4) & 7) + 1;
    s.hasGlobalTable = (packed >> 7) & 1;
    if (s.hasGlobalTable)
        ReadColourTable(pos, s.globalColourCount, s.globalRed, s.globalGreen, s.globalBlue);
    return 1;
}

void ReadExtension(ReadPosition* pos, int label, FrameControl* control,
                   int* transparentCandidate) {
    if (label == 0xF9) {
        // A first sub-block shorter than 4 bytes supplies zeros for the bytes it lacks; the
        // buffer is cleared first, and the sub-block reader never takes more than the
        // sub-block's own length, so the parser stays inside this extension.
        uint8_t block[256] = {0};
        int length = ReadSubBlock(pos, block);
        int packed = block[0];
        control->disposal = (packed >> 2) & 7;
        control->userInput = (packed >> 1) & 1;
        control->delay = ReadLe16(block + 1);
        control->hasTransparency = packed & 1;
        if (packed & 1)
            *transparentCandidate = block[3];
        if (length == 0)
            return;
    }
    SkipSubBlocks(pos);
}

// Reads the blocks up to the next image descriptor: extensions (a graphic control into
// control), and any other byte between blocks is skipped. False at the trailer or the end.
bool FindNextImage(ReadPosition* pos, FrameControl* control, int* transparentCandidate) {
    for (;;) {
        int introducer = TakeByte(pos);
        if (introducer == 0 || introducer == 0x3B)
            return false;
        if (introducer == 0x2C)
            return true;
        if (introducer == 0x21)
            ReadExtension(pos, TakeByte(pos), control, transparentCandidate);
    }
}

struct ImageDescriptor {
    int left, top, width, height, packed;
};

ImageDescriptor ReadImageDescriptor(ReadPosition* pos) {
    ImageDescriptor d;
    d.left = ReadUnsigned16(pos);
    d.top = ReadUnsigned16(pos);
    d.width = ReadUnsigned16(pos);
    d.height = ReadUnsigned16(pos);
    d.packed = TakeByte(pos);
    return d;
}

FrameImage* ReadNextImage(LoadState* load) {
    ReadPosition* pos = &load->pos;
    int transparentCandidate = -1;
    if (!FindNextImage(pos, &load->PendingControl, &transparentCandidate))
        return nullptr;
    const ImageDescriptor d = ReadImageDescriptor(pos);
    if (!ChargeLoadBudget(load, d.width, d.height))
        return nullptr;
    FrameImage* image = CreateFrameImage(d.width, d.height);
    if (!image)
        return nullptr;
    image->left = d.left;
    image->top = d.top;
    image->interlaced = (d.packed >> 6) & 1;
    image->usesGlobalTable = (d.packed & 0x80) ? 0 : 1;

    if (d.packed & 0x80) {
        // Entries beyond the size of a local table are black; only pixels with indices
        // outside the table reach them.
        uint8_t red[256] = {0}, green[256] = {0}, blue[256] = {0};
        ReadColourTable(pos, 2 << (d.packed & 7), red, green, blue);
        DecodeImage(image, pos, d.width, d.height, red, green, blue, image->interlaced);
    } else {
        const ScreenDescriptorRecord& screen = load->gif.ScreenDescriptor;
        DecodeImage(image, pos, d.width, d.height, screen.globalRed, screen.globalGreen,
                    screen.globalBlue, image->interlaced);
    }
    if (transparentCandidate != -1)
        SetTransparentIndex(image, transparentCandidate);
    return image;
}

FrameNode* BuildFrameList(LoadState* load) {
    FrameNode* first = nullptr;
    FrameNode* last = nullptr;
    while (PeekByte(&load->pos) != 0x3B && PeekByte(&load->pos) != 0) {
        load->PendingControl = FrameControl{0, 0, 0, 0};
        FrameImage* image = ReadNextImage(load);
        if (!image)
            break;
        FrameNode* node = static_cast<FrameNode*>(std::malloc(sizeof(FrameNode)));
        if (!node) {
            FreeFrameImage(image);
            FreeFrameList(first);
            return nullptr;
        }
        node->image = image;
        node->control = load->PendingControl;
        node->next = nullptr;
        node->previous = last;
        if (last)
            last->next = node;
        else
            first = node;
        last = node;
    }
    return first;
}

}  // namespace

LoadedGif GifLoadBytes(const uint8_t* data, size_t size) {
    LoadState load = {};
    load.pos = {data, data + size};
    if (!ReadScreenHeader(&load.pos, &load.gif.ScreenDescriptor))
        return LoadedGif{};
    load.gif.FrameListHead = BuildFrameList(&load);
    return load.gif;
}

GifOutline OutlineGif(const uint8_t* data, size_t size) {
    GifOutline outline = {false, 0, false};
    ReadPosition pos = {data, data + size};
    ScreenDescriptorRecord screen;
    if (!ReadScreenHeader(&pos, &screen) || size < 13)
        return outline;
    outline.valid = true;
    outline.cut = pos.overran;
    FrameControl control = {};
    int transparentCandidate = -1;
    while (!outline.cut && FindNextImage(&pos, &control, &transparentCandidate)) {
        ++outline.images;
        const int packed = ReadImageDescriptor(&pos).packed;
        uint8_t unused[3][256];
        if (packed & 0x80)
            ReadColourTable(&pos, 2 << (packed & 7), unused[0], unused[1], unused[2]);
        TakeByte(&pos);   // the LZW minimum code size
        SkipSubBlocks(&pos);
        outline.cut = pos.overran;
    }
    return outline;
}
