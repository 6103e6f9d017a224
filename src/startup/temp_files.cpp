// The hidden temporary files that hold the payloads during the show: their names, their
// writing and their deletion at the end.
//
// Owns: AnimationFile, MessageFile, LogoFile and SoundFile (260-byte buffers, null when the
// payload is absent or not yet extracted) and SoundType.
#include <cstdio>
#include <cstdlib>

#include "startup/package_state.h"

char* AnimationFile;
char* MessageFile;
char* LogoFile;
char* SoundFile;

namespace {

constexpr int kNameBufferSize = MAX_PATH;

}  // namespace

// The first free name directory + "Temp" + kind + n + "." + extension, n counting from 0.
// A name that exists but cannot be opened for reading counts as free. Null when the name
// would not fit its buffer (an overlong temporary path fails the load instead of being cut).
char* MakeTempName(const char* kind, const char* extension, const char* directory) {
    char* name = static_cast<char*>(std::calloc(kNameBufferSize, 1));
    if (!name)
        return nullptr;
    for (unsigned n = 0;; ++n) {
        int length = std::snprintf(name, kNameBufferSize, "%sTemp%s%u.%s", directory, kind, n, extension);
        if (length < 0 || length >= kNameBufferSize) {
            std::free(name);
            return nullptr;
        }
        FILE* existing = std::fopen(name, "r");
        if (!existing)
            return name;
        std::fclose(existing);
    }
}

bool WriteHiddenFile(const char* name, const void* data, DWORD size) {
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

static bool ExtractOne(const BYTE* view, const PayloadSpan& span, const char* kind,
                       const char* extension, const char* directory, char** name) {
    *name = MakeTempName(kind, extension, directory);
    return *name && WriteHiddenFile(*name, view + span.offset, DWORD(span.size));
}

// Writes the payloads in the order sound, logo, message, animation (the reverse of their
// order in the package); stops at the first one that cannot be written.
bool ExtractPayloads(const BYTE* view, const PackagePayloads& payloads) {
    char directory[MAX_PATH];
    DWORD length = GetTempPathA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory)
        directory[0] = '\0';
    if (payloads.sound.present) {
        SoundType = PackageTrailer.sound.type;
        const char* extension = SoundType == kSoundTypeWave ? "wav" : "mid";
        if (!ExtractOne(view, payloads.sound, "snd", extension, directory, &SoundFile))
            return false;
    }
    if (payloads.logo.present && !ExtractOne(view, payloads.logo, "logo", "gif", directory, &LogoFile))
        return false;
    if (payloads.message.present && !ExtractOne(view, payloads.message, "msg", "emf", directory, &MessageFile))
        return false;
    return ExtractOne(view, payloads.animation, "ani", "gif", directory, &AnimationFile);
}

static void DeleteOne(uint32_t present, char** name) {
    if (present && *name)
        DeleteFileA(*name);
    std::free(*name);
    *name = nullptr;
}

void DeleteTempFiles() {
    DeleteOne(PackageTrailer.animation.present, &AnimationFile);
    DeleteOne(PackageTrailer.message.present, &MessageFile);
    DeleteOne(PackageTrailer.logo.present, &LogoFile);
    DeleteOne(PackageTrailer.sound.present, &SoundFile);
}
