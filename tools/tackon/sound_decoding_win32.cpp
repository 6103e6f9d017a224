// Sound decoding in tackon.exe: Windows has no decoder for these formats that a console
// tool can use simply, so they are refused with the formats that are accepted.
#include "sound_decoding.h"

bool DecodeSound(const std::vector<uint8_t>&, DecodedSound*, std::string* error) {
    *error = "tackon.exe reads WAV and MIDI sounds only; MP3, OGG Vorbis and FLAC are "
             "converted by the Linux tackon or the web page";
    return false;
}
