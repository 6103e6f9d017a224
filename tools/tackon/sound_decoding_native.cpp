// Sound decoding for the native tackon through libsndfile, read from memory (see
// sound_decoding.h).
#include "sound_decoding.h"

#include <cstring>

#include <sndfile.h>

namespace {

struct MemoryFile {
    const std::vector<uint8_t>* bytes;
    sf_count_t position;
};

sf_count_t Length(void* user) { return sf_count_t(static_cast<MemoryFile*>(user)->bytes->size()); }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    MemoryFile* file = static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->position : Length(user);
    const sf_count_t target = base + offset;
    if (target < 0 || target > Length(user))
        return -1;
    file->position = target;
    return target;
}

sf_count_t Read(void* destination, sf_count_t count, void* user) {
    MemoryFile* file = static_cast<MemoryFile*>(user);
    const sf_count_t left = Length(user) - file->position;
    const sf_count_t taken = count < left ? count : left;
    std::memcpy(destination, file->bytes->data() + file->position, size_t(taken));
    file->position += taken;
    return taken;
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }

sf_count_t Tell(void* user) { return static_cast<MemoryFile*>(user)->position; }

}  // namespace

bool DecodeSound(const std::vector<uint8_t>& bytes, DecodedSound* sound, std::string* error) {
    SF_VIRTUAL_IO io = {Length, Seek, Read, Write, Tell};
    MemoryFile file = {&bytes, 0};
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    SNDFILE* handle = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!handle) {
        *error = std::string("the sound cannot be decoded: ") + sf_strerror(nullptr);
        return false;
    }
    sound->rate = info.samplerate;
    sound->channels = info.channels;
    // Some MP3 files give no frame count; read in blocks until the decoder stops.
    constexpr sf_count_t kBlockFrames = 65536;
    std::vector<float> block(size_t(kBlockFrames) * size_t(info.channels));
    sf_count_t got;
    while ((got = sf_readf_float(handle, block.data(), kBlockFrames)) > 0)
        sound->samples.insert(sound->samples.end(), block.begin(),
                              block.begin() + std::ptrdiff_t(got * info.channels));
    const int status = sf_error(handle);
    sf_close(handle);
    if (status != SF_ERR_NO_ERROR || sound->samples.empty()) {
        *error = "the sound cannot be decoded: " +
                 std::string(status != SF_ERR_NO_ERROR ? sf_error_number(status) : "it holds no samples");
        return false;
    }
    return true;
}
