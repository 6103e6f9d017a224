// The two kinds of packaged sound, as tackon recognises them and the player plays them, and
// how the sound entry's stored type names them. Portable: no platform headers.
#pragma once

#include <cstdint>

#include "package/package_layout.h"

enum SoundKind { kSoundUnknown, kSoundWave, kSoundMidi };

// The kind the player plays for a stored sound type: kSoundTypeWave is WAV, any other is MIDI.
inline SoundKind SoundKindOfType(uint32_t type) {
    return type == kSoundTypeWave ? kSoundWave : kSoundMidi;
}
