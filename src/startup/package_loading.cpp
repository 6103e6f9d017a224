// LoadPackage: reads the PackageTrailer at the end of the program's own file, derives the
// show's settings from it and hands the mapped file to the payload extraction.
//
// Owns: the package settings of package_state.h and the read-only view of the program
// file, which is open only while LoadPackage runs.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "package/trailer_location.h"
#include "startup/package_state.h"

HINSTANCE ProgramInstance;
PackageTrailerRecord PackageTrailer;
char CaptionText[256];
COLORREF CaptionColour;
LOGFONTA CaptionFont;
RECT CaptionRect;
unsigned StartPlacement;
unsigned EndPlacement;
int AboutFlag;
unsigned SoundType;

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

static void TakeCaptionSettings(const PackagePayloads& payloads) {
    CaptionColour = PackageTrailer.captionColour;
    CaptionRect.left = PackageTrailer.captionRect[0];
    CaptionRect.top = PackageTrailer.captionRect[1];
    CaptionRect.right = PackageTrailer.captionRect[2];
    CaptionRect.bottom = PackageTrailer.captionRect[3];
    static_assert(sizeof(LOGFONTA) == kFontRecordSize, "the font record is a LOGFONTA");
    std::memcpy(&CaptionFont, PackageTrailer.captionFont, sizeof CaptionFont);
    // A writer may fill all 32 bytes of the face name; the font calls need a terminator.
    CaptionFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    std::memset(CaptionText, 0, sizeof CaptionText);
    // A stored caption longer than 255 bytes keeps its first 255; the payloads before it
    // were still located with the stored length.
    std::memcpy(CaptionText, PackageView + payloads.captionOffset, payloads.captionCopyLength);
}

bool LoadPackage() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return LoadPackageFrom(path);
}

bool LoadPackageFrom(const wchar_t* path) {
    ULONGLONG fileSize = 0;
    if (!OpenPackageView(path, &fileSize))
        return false;
    // A signed show carries its certificate table after the trailer.
    const TrailerLocation trailer = LocateTrailer(PackageView, fileSize);
    if (trailer.place == kTrailerNotFound) {
        ReleasePackageView();
        return false;
    }
    DecodeTrailer(PackageView + (trailer.packageEnd - kTrailerSize), &PackageTrailer);
    std::srand(unsigned(std::time(nullptr)));
    StartPlacement = ResolvePlacement(PackageTrailer.startPlacement, RandomInRange);
    EndPlacement = ResolvePlacement(PackageTrailer.endPlacement, RandomInRange);
    AboutFlag = PackageTrailer.showAbout;

    PackagePayloads payloads;
    if (LocatePayloads(trailer.packageEnd, PackageTrailer, &payloads) != kPackageAccepted) {
        ReleasePackageView();
        return false;
    }
    TakeCaptionSettings(payloads);
    bool extracted = ExtractPayloads(PackageView, payloads);
    ReleasePackageView();
    if (!extracted) {
        // Nothing of a failed extraction is left behind in the temporary folder.
        DeleteTempFiles();
        return false;
    }
    return true;
}
