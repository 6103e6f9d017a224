// Recognises the kinds of file tackon packs: GIF for the animation and the logo, enhanced
// metafile for the message, WAV or MIDI for the sound. Only the headers are looked at; the
// player's own decoders judge the rest when the show runs.
#pragma once

#include <cstdint>
#include <vector>

#include "package/sound_kind.h"

bool LooksLikeGif(const std::vector<uint8_t>& bytes);
bool LooksLikeEnhancedMetafile(const std::vector<uint8_t>& bytes);
SoundKind DetectSoundKind(const std::vector<uint8_t>& bytes);
