// LoadPackage: reads the PackageTrailer at the end of the program's own file, derives the
// show's settings from it and hands the mapped file to the payload extraction.
//
// Owns: the read-only view of the program file, which is open only while LoadPackage runs.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "package/trailer_location.h"
#include "startup/show_settings.h"

static HANDLE PackageFile = INVALID_HANDLE_VALUE;
static HANDLE PackageMapping;
static const BYTE* PackageView;

void ReleasePackageView() {
    if (PackageView) {
        UnmapViewOfFile(PackageView);
        PackageView = nullptr;
    }
    if (PackageMapping) {
        CloseHandle(PackageMapping);
        PackageMapping = nullptr;
    }
    if (PackageFile != INVALID_HANDLE_VALUE) {
        CloseHandle(PackageFile);
        PackageFile = INVALID_HANDLE_VALUE;
    }
}

// Opens and maps a whole package file; its size goes to fileSize.
static bool OpenPackageView(const wchar_t* path, ULONGLONG* fileSize) {
    PackageFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (PackageFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(PackageFile, &size) || ULONGLONG(size.QuadPart) <= kTrailerSize ||
        ULONGLONG(size.QuadPart) > SIZE_MAX) {
        ReleasePackageView();
        return false;
    }
    *fileSize = ULONGLONG(size.QuadPart);
    PackageMapping = CreateFileMappingA(PackageFile, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (PackageMapping)
        PackageView = static_cast<const BYTE*>(MapViewOfFile(PackageMapping, FILE_MAP_READ, 0, 0, 0));
    if (!PackageView) {
        ReleasePackageView();
        return false;
    }
    return true;
}

// The trailer's caption rectangle is not taken: the message window computes its own.
static void TakeCaptionSettings(const PackageTrailerRecord& trailer, const PackagePayloads& payloads,
                                ShowSettings* settings) {
    settings->CaptionColour = trailer.captionColour;
    static_assert(sizeof(LOGFONTA) == kFontRecordSize, "the font record is a LOGFONTA");
    std::memcpy(&settings->CaptionFont, trailer.captionFont, sizeof settings->CaptionFont);
    // A writer may fill all 32 bytes of the face name; the font calls need a terminator.
    settings->CaptionFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    std::memset(settings->CaptionText, 0, sizeof settings->CaptionText);
    // A stored caption longer than 255 bytes keeps its first 255; the payloads before it
    // were still located with the stored length.
    std::memcpy(settings->CaptionText, PackageView + payloads.captionOffset, payloads.captionCopyLength);
}

bool LoadPackage(ShowSettings* settings) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return LoadPackageFrom(path, settings);
}

bool LoadPackageFrom(const wchar_t* path, ShowSettings* settings) {
    ULONGLONG fileSize = 0;
    if (!OpenPackageView(path, &fileSize))
        return false;
    // A signed show carries its certificate table after the trailer.
    const TrailerLocation trailer = LocateTrailer(PackageView, fileSize);
    if (trailer.place == kTrailerNotFound) {
        ReleasePackageView();
        return false;
    }
    PackageTrailerRecord PackageTrailer;
    DecodeTrailer(PackageView + (trailer.packageEnd - kTrailerSize), &PackageTrailer);
    std::srand(unsigned(std::time(nullptr)));
    settings->StartPlacement = ResolvePlacement(PackageTrailer.startPlacement, RandomInRange);
    settings->EndPlacement = ResolvePlacement(PackageTrailer.endPlacement, RandomInRange);
    settings->AboutFlag = PackageTrailer.showAbout == 1;
    settings->SoundType = PackageTrailer.sound.type;

    PackagePayloads payloads;
    if (LocatePayloads(trailer.packageEnd, PackageTrailer, &payloads) != kPackageAccepted) {
        ReleasePackageView();
        return false;
    }
    TakeCaptionSettings(PackageTrailer, payloads, settings);
    bool extracted = ExtractPayloads(PackageView, payloads, settings);
    ReleasePackageView();
    if (!extracted) {
        // Nothing of a failed extraction is left behind in the temporary folder.
        DeleteTempFiles(settings);
        return false;
    }
    return true;
}
