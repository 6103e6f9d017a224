// The pixel budget shared by the picture decoders (see picture_decoding.h).
#include "picture_decoding.h"

#include "pack/pack_api.h"

bool PictureFitsBudget(long long width, long long height, std::string* error) {
    if (ReelboxPackPictureWithinBudget(width, height))
        return true;
    *error = "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels; pictures of up to " + std::to_string(REELBOX_PACK_PICTURE_PIXEL_BUDGET / 1000000) +
             " megapixels are accepted";
    return false;
}
