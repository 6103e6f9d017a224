// Writing decoded samples as a PCM WAV (see wave_writer.h).
#include "pack/wave_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Input channel c of frame i mixed for output channel out of outputChannels: mono takes
// the mean of all channels; stereo takes the first two (a mono input feeds both).
double Sample(const float* samples, size_t i, int channels, int out, int outputChannels) {
    const float* frame = samples + i * size_t(channels);
    if (outputChannels == 1) {
        double sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += frame[c];
        return sum / channels;
    }
    return frame[std::min(out, channels - 1)];
}

}  // namespace

std::vector<uint8_t> BuildWave(const float* samples, size_t frameCount, int channels,
                               int sampleRate, int outputRate, int outputChannels) {
    if (frameCount == 0 || channels <= 0 || sampleRate <= 0 || outputRate <= 0 ||
        (outputChannels != 1 && outputChannels != 2))
        return {};
    const double step = double(sampleRate) / outputRate;   // input frames per output frame
    const size_t outputFrames = size_t(std::floor(frameCount / step));
    const uint64_t dataSize = uint64_t(outputFrames) * outputChannels * 2;
    if (outputFrames == 0 || dataSize > 0xFFFFFFFFull - 44)
        return {};

    std::vector<uint8_t> wave(44 + size_t(dataSize));
    uint8_t* h = wave.data();
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, uint32_t(36 + dataSize));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put16(h + 20, 1);   // PCM
    Put16(h + 22, uint16_t(outputChannels));
    Put32(h + 24, uint32_t(outputRate));
    Put32(h + 28, uint32_t(outputRate) * outputChannels * 2);
    Put16(h + 32, uint16_t(outputChannels * 2));
    Put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, uint32_t(dataSize));

    uint8_t* out = h + 44;
    for (size_t o = 0; o < outputFrames; ++o) {
        for (int c = 0; c < outputChannels; ++c) {
            double value;
            if (step > 1) {
                // Mean over the input frames this output frame covers: a box low-pass that
                // keeps the lowered rate from folding high notes into audible noise.
                const size_t first = size_t(o * step);
                const size_t last = std::min(frameCount, size_t((o + 1) * step));
                double sum = 0;
                for (size_t i = first; i < last; ++i)
                    sum += Sample(samples, i, channels, c, outputChannels);
                value = last > first ? sum / double(last - first) : 0.0;
            } else {
                const double at = o * step;
                const size_t i = size_t(at);
                const double fraction = at - double(i);
                const double a = Sample(samples, i, channels, c, outputChannels);
                const double b = i + 1 < frameCount ? Sample(samples, i + 1, channels, c, outputChannels) : a;
                value = a + (b - a) * fraction;
            }
            const long pcm = std::lround(std::clamp(value, -1.0, 1.0) * 32767.0);
            Put16(out, uint16_t(int16_t(pcm)));
            out += 2;
        }
    }
    return wave;
}
