// Sound for the player's waveaudio device: decoded samples written as a 16-bit PCM WAV,
// mixed to the wanted channel count and resampled (area average when lowering the rate,
// linear interpolation when raising it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kDefaultSoundRate = 22050;

// samples: frameCount frames of channels interleaved floats, -1..1 (beyond is clipped).
// Empty when a count or rate is not positive, outputChannels is not 1 or 2, or the result
// would not fit a WAV's 32-bit sizes.
std::vector<uint8_t> BuildWave(const float* samples, size_t frameCount, int channels,
                               int sampleRate, int outputRate, int outputChannels);
