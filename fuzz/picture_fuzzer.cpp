// libFuzzer entry point: tackon's own picture decoding on an arbitrary file, fed through the
// packing core as tackon feeds it. The core's damage check (GIF and JPEG cut short) sees the
// bytes first; then the bitmap reader with its pixel-budget check, or, for anything else, a
// small picture turned by the orientation the Exif reader finds in the bytes. Whatever is
// decoded becomes a message picture and a built show, whose checks run too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bmp_reader.h"
#include "pack/pack_api.h"
#include "picture_orientation.h"

namespace {

// A 3 x 2 picture whose pixels all differ, so that every turn moves them.
DecodedPicture SmallPicture() {
    DecodedPicture picture;
    picture.width = 3;
    picture.height = 2;
    for (int i = 0; i < 3 * 2 * 4; ++i)
        picture.rgba.push_back(uint8_t(i * 37));
    return picture;
}

// A player that passes the core's checks: the MZ and PE signatures and a version block.
std::vector<uint8_t> MinimalPlayer() {
    std::vector<uint8_t> player(512, 0);
    player[0] = 'M';
    player[1] = 'Z';
    player[0x3C] = 0x80;
    const char pe[] = "PE";
    player[0x80] = uint8_t(pe[0]);
    player[0x81] = uint8_t(pe[1]);
    const char* const words[] = {"VS_VERSION_INFO", "ProductName", "Reelbox"};
    size_t at = 0x100;
    for (const char* word : words) {
        for (const char* c = word; *c; ++c, at += 2)
            player[at] = uint8_t(*c);
        at += 4;
    }
    return player;
}

const uint8_t kAnimation[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0,
                              1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    static const std::vector<uint8_t> player = MinimalPlayer();
    ReelboxPacker* packer = ReelboxPackCreate();
    if (ReelboxPackPictureIsWhole(packer, data, size)) {
        DecodedPicture picture;
        std::string error;
        bool decoded = false;
        if (LooksLikeBmp(bytes)) {
            decoded = DecodeBmp(bytes, &picture, &error);
            if (decoded && picture.rgba.size() != size_t(picture.width) * size_t(picture.height) * 4)
                __builtin_trap();
        } else {
            picture = SmallPicture();
            ApplyOrientation(JpegOrientation(bytes), &picture);
            decoded = picture.rgba.size() == 3 * 2 * 4 && picture.width * picture.height == 6;
            if (!decoded)
                __builtin_trap();
        }
        if (decoded &&
            ReelboxPackSetPlayer(packer, player.data(), player.size(), 0) &&
            ReelboxPackSetAnimation(packer, kAnimation, sizeof kAnimation) &&
            ReelboxPackSetMessagePicture(packer, picture.rgba.data(), picture.width, picture.height,
                                         0xFFFFFF)) {
            if (!ReelboxPackBuild(packer))
                __builtin_trap();   // a decoded picture always makes a show the player plays
        }
    }
    ReelboxPackFree(packer);
    return 0;
}
