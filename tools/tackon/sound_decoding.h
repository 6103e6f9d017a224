// Decoding MP3, OGG Vorbis and FLAC sounds for --sound into float samples for the packing
// core, which writes them as the PCM WAV the player's waveaudio device plays. Natively
// through libsndfile; tackon.exe has no decoder and refuses these formats by name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedSound {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;   // interleaved
};

// True when the bytes look like one of the formats decoded here (not WAV or MIDI, which
// are stored as they are).
bool LooksLikeCompressedSound(const std::vector<uint8_t>& bytes);
// False with *error (without the file name) when the sound cannot be decoded.
bool DecodeSound(const std::vector<uint8_t>& bytes, DecodedSound* sound, std::string* error);
