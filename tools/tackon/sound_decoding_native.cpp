// Sound decoding for the native tackon through libsndfile, read from memory (see
// sound_decoding.h).
#include "sound_decoding.h"

#include <cstring>
#include <memory>

#include <sndfile.h>

#include "pack/pack_api.h"

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
        *error = "the sound's header cannot be read (a damaged file, or a kind of MP3, OGG or "
                 "FLAC that tackon does not read)";
        return false;
    }
    std::unique_ptr<ReelboxPacker, void (*)(ReelboxPacker*)> limit(ReelboxPackCreate(), ReelboxPackFree);
    // The length the header states is checked before anything is decoded; files that state
    // none (some MP3s) are checked again as their samples arrive.
    const bool stated = info.frames > 0 && info.frames != SF_COUNT_MAX;
    if (info.channels <= 0 || (stated && !ReelboxPackSoundLengthAccepted(limit.get(), info.frames, info.samplerate))) {
        *error = info.channels <= 0 ? "the sound has no channels" : ReelboxPackError(limit.get());
        sf_close(handle);
        return false;
    }
    sound->rate = info.samplerate;
    sound->channels = info.channels;
    constexpr sf_count_t kBlockFrames = 65536;
    std::vector<float> block(size_t(kBlockFrames) * size_t(info.channels));
    sf_count_t got;
    while ((got = sf_readf_float(handle, block.data(), kBlockFrames)) > 0) {
        sound->samples.insert(sound->samples.end(), block.begin(),
                              block.begin() + std::ptrdiff_t(got * info.channels));
        const long long frames = (long long)(sound->samples.size() / size_t(info.channels));
        if (!ReelboxPackSoundLengthAccepted(limit.get(), frames, info.samplerate)) {
            *error = ReelboxPackError(limit.get());
            sf_close(handle);
            return false;
        }
    }
    const int status = sf_error(handle);
    sf_close(handle);
    if (status != SF_ERR_NO_ERROR) {
        *error = "the sound's data is damaged and cannot be decoded";
        return false;
    }
    if (sound->samples.empty()) {
        *error = "the sound holds no samples";
        return false;
    }
    return true;
}
