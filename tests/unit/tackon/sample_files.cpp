// Sample payload files for the tackon tests (see sample_files.h).
#include "sample_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "tackon.h"

namespace fs = std::filesystem;

namespace {

void PutLe32(Bytes* b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b->push_back(uint8_t(v >> (8 * i)));
}

void PutText(Bytes* b, const char* text) {
    while (*text)
        b->push_back(uint8_t(*text++));
}

}  // namespace

Bytes SampleGif(size_t extra, uint8_t seed) {
    Bytes b;
    PutText(&b, "GIF89a");
    const uint8_t rest[] = {1, 0, 1, 0, 0x80, 0, 0,   // screen 1x1, 2-colour global table
                            0, 0, 0, 255, 255, 255,   // black, white
                            0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0,
                            2, 2, 0x44, 0x01, 0, 0x3B};
    b.insert(b.end(), std::begin(rest), std::end(rest));
    for (size_t i = 0; i < extra; ++i)
        b.push_back(uint8_t(seed + i * 13));
    return b;
}

Bytes SampleEmf(size_t extra) {
    Bytes b;
    PutLe32(&b, 1);    // EMR_HEADER
    PutLe32(&b, 88);   // record size
    for (int i = 0; i < 8; ++i)
        PutLe32(&b, i < 4 ? 0 : 100);   // bounds and frame
    PutLe32(&b, 0x464D4520);            // " EMF" at byte 40
    PutLe32(&b, 0x00010000);            // version
    const size_t comment = extra ? 12 + (extra + 3) / 4 * 4 : 0;
    PutLe32(&b, uint32_t(88 + comment + 20));
    while (b.size() < 88)
        b.push_back(0);
    if (extra) {
        PutLe32(&b, 70);   // EMR_GDICOMMENT holding the extra bytes
        PutLe32(&b, uint32_t(comment));
        PutLe32(&b, uint32_t(extra));
        for (size_t i = 0; i < comment - 12; ++i)
            b.push_back(uint8_t(i));
    }
    PutLe32(&b, 14);   // EMR_EOF
    PutLe32(&b, 20);
    PutLe32(&b, 0);
    PutLe32(&b, 16);
    PutLe32(&b, 20);
    return b;
}

Bytes SampleWave(size_t samples) {
    Bytes b;
    PutText(&b, "RIFF");
    PutLe32(&b, uint32_t(36 + samples));
    PutText(&b, "WAVEfmt ");
    PutLe32(&b, 16);
    PutLe32(&b, 1 | 1 << 16);   // PCM, mono
    PutLe32(&b, 8000);
    PutLe32(&b, 8000);
    PutLe32(&b, 1 | 8 << 16);   // block align 1, 8 bits
    PutText(&b, "data");
    PutLe32(&b, uint32_t(samples));
    for (size_t i = 0; i < samples; ++i)
        b.push_back(uint8_t(128 + (i % 32)));
    return b;
}

Bytes SampleMidi() {
    Bytes b;
    PutText(&b, "MThd");
    const uint8_t header[] = {0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
    b.insert(b.end(), std::begin(header), std::end(header));
    PutText(&b, "MTrk");
    const uint8_t track[] = {0, 0, 0, 12, 0, 0x90, 60, 100, 96, 0x80, 60, 0, 0, 0xFF, 0x2F, 0};
    b.insert(b.end(), std::begin(track), std::end(track));
    return b;
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32At(const Bytes& b, size_t at) {
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 |
           uint32_t(b.at(at + 3)) << 24;
}

ScratchFolder::ScratchFolder() {
    std::random_device device;
    path = fs::temp_directory_path() / ("tackon-test-" + std::to_string(device()));
    fs::remove_all(path);
    fs::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ToolRun Tackon(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunTackon(args, out, err);
    return {status, out.str(), err.str()};
}
