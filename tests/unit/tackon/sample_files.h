// Small payload files for the tackon tests, a scratch folder per test, and tackon run
// in-process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

Bytes SampleGif(size_t extra, uint8_t seed);   // a 1x1 GIF89a, padded after its trailer
Bytes SampleEmf(size_t extra);                  // EMR_HEADER with " EMF", a comment record
                                                // holding `extra` bytes, then EMR_EOF
Bytes SampleWave(size_t samples);
Bytes SampleMidi();

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);
uint32_t Le32At(const Bytes& bytes, size_t at);

// tackon's commands run in-process: the exit status and what was written to each stream.
struct ToolRun {
    int status;
    std::string out, err;
};
ToolRun Tackon(const std::vector<std::string>& args);

// A fresh, empty folder under the system's temporary folder, removed by its destructor.
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder();
    ~ScratchFolder();
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> Names() const;   // sorted file names in the folder
};
