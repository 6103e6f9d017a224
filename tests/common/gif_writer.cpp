// Test-side GIF writer (see gif_writer.h).
#include "gif_writer.h"

#include <unordered_map>

void PutCode(CodeWriter* writer, int code, int width) {
    writer->pending |= uint32_t(code) << writer->pendingBits;
    writer->pendingBits += width;
    while (writer->pendingBits >= 8) {
        writer->bytes.push_back(uint8_t(writer->pending));
        writer->pending >>= 8;
        writer->pendingBits -= 8;
    }
}

Bytes FinishCodes(CodeWriter* writer) {
    if (writer->pendingBits > 0)
        writer->bytes.push_back(uint8_t(writer->pending));
    writer->pending = 0;
    writer->pendingBits = 0;
    return writer->bytes;
}

Bytes LzwEncode(const std::vector<int>& values, int minimumCodeSize, const LzwOptions& options) {
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;
    CodeWriter writer;
    std::unordered_map<uint32_t, int> table;  // (prefix << 12 | value) -> code
    int width = minimumCodeSize + 1;
    int encoderNext = clearCode + 2;  // next entry the encoder assigns
    int decoderNext = clearCode + 2;  // next entry the decoder will have assigned
    bool firstSinceClear = true;
    int codesSinceClear = 0;

    auto clear = [&]() {
        PutCode(&writer, clearCode, width);
        table.clear();
        width = minimumCodeSize + 1;
        encoderNext = decoderNext = clearCode + 2;
        firstSinceClear = true;
        codesSinceClear = 0;
    };
    // Mirrors the decoder: every code but the first after a clear adds an entry, and the width
    // grows when the decoder's next entry reaches 2^width.
    auto emit = [&](int code) {
        PutCode(&writer, code, width);
        ++codesSinceClear;
        if (!firstSinceClear && decoderNext < 4096) {
            ++decoderNext;
            if (decoderNext == (1 << width) && width < 12)
                ++width;
        }
        firstSinceClear = false;
    };

    for (int i = 0; i < options.leadingClears; ++i)
        clear();
    int current = -1;
    for (int value : values) {
        if (current < 0) {
            current = value;
            continue;
        }
        uint32_t key = uint32_t(current) << 12 | uint32_t(value);
        auto found = table.find(key);
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        emit(current);
        if (encoderNext < 4096)
            table[key] = encoderNext++;
        current = value;
        bool full = encoderNext == 4096 && decoderNext == 4096;
        if ((full && options.clearWhenFull) ||
            (options.clearEvery > 0 && codesSinceClear >= options.clearEvery))
            clear();
    }
    if (current >= 0)
        emit(current);
    if (options.endCode)
        PutCode(&writer, endCode, width);
    return FinishCodes(&writer);
}

Bytes PackSubBlocks(const Bytes& data, int blockSize, bool terminator) {
    Bytes out;
    for (size_t at = 0; at < data.size(); at += size_t(blockSize)) {
        size_t length = std::min(size_t(blockSize), data.size() - at);
        out.push_back(uint8_t(length));
        out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + length));
    }
    if (terminator)
        out.push_back(0);
    return out;
}

std::vector<int> InterlaceRows(const std::vector<int>& pixels, int width, int height) {
    static const int start[4] = {0, 4, 2, 1};
    static const int step[4] = {8, 8, 4, 2};
    std::vector<int> out;
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            out.insert(out.end(), pixels.begin() + long(y) * width,
                       pixels.begin() + long(y + 1) * width);
    return out;
}

void Append(Bytes* out, const Bytes& more) {
    out->insert(out->end(), more.begin(), more.end());
}

void PutWord(Bytes* out, int value) {
    out->push_back(uint8_t(value & 0xFF));
    out->push_back(uint8_t((value >> 8) & 0xFF));
}

void PutHeader(Bytes* out, int width, int height, bool withTable, int tableBits,
               const char* version) {
    Append(out, Bytes{'G', 'I', 'F', uint8_t(version[0]), uint8_t(version[1]),
                      uint8_t(version[2])});
    PutWord(out, width);
    PutWord(out, height);
    out->push_back(uint8_t((withTable ? 0x80 : 0) | 0x70 | tableBits));
    out->push_back(0);  // background index
    out->push_back(0);  // aspect ratio
    if (withTable)
        for (int i = 0; i < (2 << tableBits); ++i)
            Append(out, Bytes{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
}

void PutGraphicControl(Bytes* out, int disposal, int delay, int transparentIndex,
                       int userInput) {
    Append(out, Bytes{0x21, 0xF9, 4});
    out->push_back(uint8_t(disposal << 2 | userInput << 1 | (transparentIndex >= 0 ? 1 : 0)));
    PutWord(out, delay);
    out->push_back(uint8_t(transparentIndex >= 0 ? transparentIndex : 0));
    out->push_back(0);
}

void PutLoopingExtension(Bytes* out) {
    Append(out, Bytes{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                      3, 1, 0, 0, 0});
}

void PutComment(Bytes* out, const std::string& text) {
    Append(out, Bytes{0x21, 0xFE});
    Append(out, PackSubBlocks(Bytes(text.begin(), text.end())));
}

static void PutDescriptor(Bytes* out, int left, int top, int width, int height,
                          bool interlaced, int localTableBits) {
    out->push_back(0x2C);
    PutWord(out, left);
    PutWord(out, top);
    PutWord(out, width);
    PutWord(out, height);
    out->push_back(uint8_t((localTableBits >= 0 ? 0x80 | localTableBits : 0) |
                           (interlaced ? 0x40 : 0)));
}

void PutImage(Bytes* out, const ImageSpec& spec) {
    PutDescriptor(out, spec.left, spec.top, spec.width, spec.height, spec.interlaced,
                  spec.localTableBits);
    if (spec.localTableBits >= 0)
        for (int i = 0; i < (2 << spec.localTableBits); ++i)
            Append(out, Bytes{uint8_t(i), uint8_t(i), 255});
    out->push_back(uint8_t(spec.minimumCodeSize));
    std::vector<int> values =
        spec.interlaced ? InterlaceRows(spec.pixels, spec.width, spec.height) : spec.pixels;
    Append(out, PackSubBlocks(LzwEncode(values, spec.minimumCodeSize, spec.lzw),
                              spec.blockSize));
}

void PutRawImage(Bytes* out, int width, int height, bool interlaced, const Bytes& data) {
    PutDescriptor(out, 0, 0, width, height, interlaced, -1);
    Append(out, data);
}

std::vector<int> RandomPixels(int size, int count, uint32_t seed) {
    std::vector<int> out(size_t(size > 0 ? size : 0));
    uint32_t state = seed * 2654435761u + 12345u;
    for (int& v : out) {
        state = state * 1664525u + 1013904223u;
        v = int((state >> 16) % uint32_t(count));
    }
    return out;
}

Bytes Animation(int width, int height, const std::vector<int>& delays) {
    Bytes gif;
    PutHeader(&gif, width, height, true, 1);
    for (int delay : delays) {
        PutGraphicControl(&gif, 0, delay, -1);
        ImageSpec image;
        image.width = 2;
        image.height = 2;
        image.minimumCodeSize = 2;
        image.pixels = {0, 1, 1, 0};
        PutImage(&gif, image);
    }
    gif.push_back(0x3B);
    return gif;
}
