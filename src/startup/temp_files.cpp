// The hidden temporary files that hold the payloads during the show: their names, their
// creation, their deletion at the end, and the removal of the copies an earlier show left.
//
// The names live in the ShowSettings they are extracted for (MAX_PATH-character buffers, null
// when the payload is absent or not yet extracted).
#include <cstdlib>

#include "startup/show_settings.h"

namespace {

constexpr int kNameBufferSize = MAX_PATH;
// Numbers tried for one payload before its extraction fails: only foreign files that squat
// on the names can take them, since a show removes its predecessors' copies at start-up.
constexpr unsigned kNameAttempts = 100;

// A copy is named "Temp" + kind + n + "." + extension inside the temporary folder.
struct CopyKind {
    const wchar_t* kind;
    const wchar_t* extension;
};

constexpr CopyKind kAnimationCopy = {L"ani", L"gif"};
constexpr CopyKind kMessageCopy = {L"msg", L"emf"};
constexpr CopyKind kLogoCopy = {L"logo", L"gif"};
constexpr CopyKind kWaveCopy = {L"snd", L"wav"};
constexpr CopyKind kMidiCopy = {L"snd", L"mid"};
constexpr CopyKind kCopyKinds[] = {kAnimationCopy, kMessageCopy, kLogoCopy, kWaveCopy, kMidiCopy};

// The temporary folder with its final backslash; false when it has none or it does not fit.
bool TempDirectory(wchar_t (&directory)[MAX_PATH]) {
    DWORD length = GetTempPathW(MAX_PATH, directory);
    return length != 0 && length < MAX_PATH;
}

// directory + "Temp" + kind + n + "." + extension; false when it does not fit the buffer.
bool ComposeCopyName(wchar_t* name, const wchar_t* directory, const CopyKind& kind, unsigned n) {
    wchar_t composed[1024];  // wsprintfW's own limit; a directory is under MAX_PATH
    int length = wsprintfW(composed, L"%sTemp%s%u.%s", directory, kind.kind, n, kind.extension);
    if (length <= 0 || length >= kNameBufferSize)
        return false;
    lstrcpyW(name, composed);
    return true;
}

// Creates the first free copy name (n counting from 0) as a new hidden file holding data.
// The name, or null when none fits its buffer, none is free within kNameAttempts, or the
// file cannot be created or written (nothing is left behind then).
wchar_t* WriteHiddenCopy(const wchar_t* directory, const CopyKind& kind, const void* data, DWORD size) {
    wchar_t* name = static_cast<wchar_t*>(std::calloc(kNameBufferSize, sizeof(wchar_t)));
    if (!name)
        return nullptr;
    for (unsigned n = 0; n < kNameAttempts && ComposeCopyName(name, directory, kind, n); ++n) {
        HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            break;
        }
        DWORD written = 0;
        BOOL ok = WriteFile(file, data, size, &written, nullptr);
        CloseHandle(file);
        if (ok && written == size)
            return name;
        DeleteFileW(name);
        break;
    }
    std::free(name);
    return nullptr;
}

bool ExtractOne(const BYTE* view, const PayloadSpan& span, const CopyKind& kind,
                const wchar_t* directory, wchar_t** name) {
    *name = WriteHiddenCopy(directory, kind, view + span.offset, DWORD(span.size));
    return *name != nullptr;
}

// The text after prefix when text starts with it, else null.
const wchar_t* After(const wchar_t* text, const wchar_t* prefix) {
    while (*prefix)
        if (*text++ != *prefix++)
            return nullptr;
    return text;
}

// Whether a file name is exactly a copy name of one of the kinds, with any number.
bool IsCopyName(const wchar_t* name) {
    const wchar_t* rest = After(name, L"Temp");
    for (const CopyKind& kind : kCopyKinds) {
        const wchar_t* number = rest ? After(rest, kind.kind) : nullptr;
        if (!number || *number < L'0' || *number > L'9')
            continue;
        const wchar_t* dot = number;
        while (*dot >= L'0' && *dot <= L'9')
            ++dot;
        const wchar_t* end = After(dot, L".");
        end = end ? After(end, kind.extension) : nullptr;
        if (end && *end == 0)
            return true;
    }
    return false;
}

}  // namespace

// Writes the payloads in the order sound, logo, message, animation (the reverse of their
// order in the package); stops at the first one that cannot be written.
// The sound's copy is named for settings->SoundType.
bool ExtractPayloads(const BYTE* view, const PackagePayloads& payloads, ShowSettings* settings) {
    wchar_t directory[MAX_PATH];
    if (!TempDirectory(directory))
        directory[0] = 0;
    if (payloads.sound.present) {
        const CopyKind& kind = settings->SoundType == kSoundTypeWave ? kWaveCopy : kMidiCopy;
        if (!ExtractOne(view, payloads.sound, kind, directory, &settings->SoundFile))
            return false;
    }
    if (payloads.logo.present && !ExtractOne(view, payloads.logo, kLogoCopy, directory, &settings->LogoFile))
        return false;
    if (payloads.message.present &&
        !ExtractOne(view, payloads.message, kMessageCopy, directory, &settings->MessageFile))
        return false;
    return ExtractOne(view, payloads.animation, kAnimationCopy, directory, &settings->AnimationFile);
}

static void DeleteOne(wchar_t** name) {
    if (*name)
        DeleteFileW(*name);
    std::free(*name);
    *name = nullptr;
}

void DeleteTempFiles(ShowSettings* settings) {
    DeleteOne(&settings->AnimationFile);
    DeleteOne(&settings->MessageFile);
    DeleteOne(&settings->LogoFile);
    DeleteOne(&settings->SoundFile);
}

// A copy is recognised by its exact name and the hidden attribute it was created with; a
// folder, or a visible file that only shares a name, is someone else's.
void RemoveStaleTempFiles() {
    wchar_t directory[MAX_PATH];
    if (!TempDirectory(directory))
        return;
    wchar_t path[kNameBufferSize + 8];
    wsprintfW(path, L"%sTemp*", directory);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        DWORD attributes = found.dwFileAttributes;
        if (!(attributes & FILE_ATTRIBUTE_HIDDEN) || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !IsCopyName(found.cFileName))
            continue;
        wchar_t stale[1024];
        if (wsprintfW(stale, L"%s%s", directory, found.cFileName) < kNameBufferSize)
            DeleteFileW(stale);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}
